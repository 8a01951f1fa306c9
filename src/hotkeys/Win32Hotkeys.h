#pragma once

// The Win32 side of the Windows hotkeys, free of Qt so that it can be compiled on its own. The combinations
// belong to the calling thread: WM_HOTKEY arrives in its message queue without a window.
namespace spectrel::win32 {

// RegisterHotKey with the mask bits as Win32 counts them (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4).
bool registerHotkey(int id, int mask, int virtualKey);
void unregisterHotkey(int id);
// The hotkey identifier a native message (a MSG) carries when it is WM_HOTKEY; -1 for any other message.
int hotkeyIdOf(const void* message);

} // namespace spectrel::win32
