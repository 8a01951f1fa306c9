#pragma once

#include <QString>

#include <span>

// The 61 keys the two hotkey lists offer. Settings keep a list position, never a text or a code, so the order
// is part of the stored data: entries are never inserted or reordered.
namespace spectrel::keys {

struct KeyEntry {
    const char* text;
    int code; // the Windows virtual-key code
};

std::span<const KeyEntry> catalogue();

// The code of a list's choice: letters and digits (positions 0 to 35) by their character, the named keys by
// their name, compared without regard to case; 0 when nothing matches.
int selectedKeyCode(int position, const QString& text);

} // namespace spectrel::keys
