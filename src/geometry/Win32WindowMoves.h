#pragma once

#include "geometry/StickyEdges.h"

// The main window's moves on Windows: topmost while the user drags it, and the sticky edges applied to every
// position the system proposes. Needs nothing but <windows.h>, so it can be checked without Qt for Windows.
namespace spectrel::win32 {

// Handles a drag start or end of `window` (an HWND) (returns false: the message goes on to the window) or a
// moving message (returns true with `result` 1: the proposed rectangle has been adjusted in place). `message`
// is a MSG*; messages for other windows are left alone.
bool handleWindowMove(const void* message, const void* window, sticky::Drag& drag, long long& result);

} // namespace spectrel::win32
