#pragma once

#include <QString>

// What the two clan-name fields admit, without widgets.
namespace spectrel::clan {

inline constexpr int kMaxLength = 45;

// The eight characters a demo file name cannot hold: \ / : * ? > < |
bool isForbidden(QChar c);
// The first forbidden character of `text`, or a null character.
QChar firstForbidden(const QString& text);

// What a field holds after a change: the first 45 characters, or nothing at all when they hold a forbidden
// character (a pasted "a/b" empties the field rather than losing the slash).
QString afterChange(const QString& text);

} // namespace spectrel::clan
