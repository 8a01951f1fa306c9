#include "hotkeys/Win32Hotkeys.h"

#include <windows.h>

namespace spectrel::win32 {

bool registerHotkey(void* window, int id, int mask, int virtualKey)
{
    const UINT modifiers = static_cast<UINT>(mask) & (MOD_ALT | MOD_CONTROL | MOD_SHIFT);
    return RegisterHotKey(static_cast<HWND>(window), id, modifiers, static_cast<UINT>(virtualKey)) != FALSE;
}

void unregisterHotkey(void* window, int id)
{
    UnregisterHotKey(static_cast<HWND>(window), id);
}

int hotkeyIdOf(const void* message)
{
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg == nullptr || msg->message != WM_HOTKEY)
        return -1;
    return static_cast<int>(msg->wParam);
}

} // namespace spectrel::win32
