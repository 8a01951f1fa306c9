#pragma once

// The Win32 side of the Windows hotkeys, free of Qt so that it can be compiled on its own. The combinations
// belong to the main window: WM_HOTKEY goes to its window procedure, which Windows calls even while it runs a
// loop of its own (the user dragging the window), where a thread message would be lost.
namespace spectrel::win32 {

// RegisterHotKey with the mask bits as Win32 counts them (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4).
// `window` is the main window's HWND; null makes the combination the thread's.
bool registerHotkey(void* window, int id, int mask, int virtualKey);
void unregisterHotkey(void* window, int id);
// The hotkey identifier a native message (a MSG) carries when it is WM_HOTKEY; -1 for any other message.
int hotkeyIdOf(const void* message);

} // namespace spectrel::win32
