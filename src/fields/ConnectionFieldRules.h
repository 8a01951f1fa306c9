#pragma once

#include <QString>

#include <optional>

// What the three connection fields admit, without widgets. Characters are judged by their code in the 8-bit
// code page the proxy's clients use; a character that code page cannot hold counts as "?".
namespace spectrel::connection {

inline constexpr int kServerMaxLength = 33;
inline constexpr int kPortMaxLength = 5;
inline constexpr int kPasswordMaxLength = 33;

// The typing filters: whether a typed character (its code page code; 8 is Backspace) stays in the field.
// The server field takes letters, digits, "-", "." and "/"; the port field digits only. The control
// characters of Ctrl+C, Ctrl+V and Ctrl+X are dropped too, so the fields' own clipboard keys never act.
bool serverKeepsTyped(int code);
bool portKeepsTyped(int code);

// The server field after a change. `port` is set when the text held a colon: what followed the first colon,
// for the port field (whose own filter then judges it).
struct ServerChange {
    QString server;
    std::optional<QString> port;
};
// Nothing when the text is blank: the field then keeps what it holds. An empty `server` when one of the
// first 33 characters (blanks around the text aside) is not a letter, digit, "-", ".", "/" or ":".
std::optional<ServerChange> afterServerChange(const QString& text);

// The port field after a change: nothing when the text is blank, else its first five characters without the
// surrounding blanks, or an empty text when they are not all digits.
std::optional<QString> afterPortChange(const QString& text);

// Whether leaving the server field empties it: fewer than 3 characters, "-", "." or "/" at either end, or two
// of them side by side. The text is judged as it stands, blanks included.
bool serverNeedsClearing(const QString& text);

// Clipboard text as the paste keys and buttons put it into a field: without surrounding blanks, at most
// `maxLength` characters.
QString pastedText(const QString& clipboard, int maxLength);

} // namespace spectrel::connection
