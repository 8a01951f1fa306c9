#include "geometry/Win32WindowMoves.h"

#include <windows.h>

namespace spectrel::win32 {

namespace {

sticky::Rect fromRect(const RECT& r)
{
    return {std::int32_t(r.left), std::int32_t(r.top), std::int32_t(r.right), std::int32_t(r.bottom)};
}

sticky::Point cursor()
{
    POINT p{};
    GetCursorPos(&p);
    return {std::int32_t(p.x), std::int32_t(p.y)};
}

} // namespace

bool handleWindowMove(const void* message, const void* window, sticky::Drag& drag, long long& result)
{
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->hwnd != static_cast<HWND>(const_cast<void*>(window)))
        return false;
    switch (msg->message) {
    case WM_ENTERSIZEMOVE: {
        RECT area{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        RECT window{};
        GetWindowRect(msg->hwnd, &window);
        drag = sticky::beginDrag(fromRect(area), fromRect(window), cursor());
        SetWindowPos(msg->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        return false;
    }
    case WM_EXITSIZEMOVE:
        SetWindowPos(msg->hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        return false;
    case WM_MOVING: {
        RECT* proposed = reinterpret_cast<RECT*>(msg->lParam);
        const sticky::Rect placed = sticky::moveWithin(fromRect(*proposed), cursor(), drag);
        *proposed = RECT{placed.left, placed.top, placed.right, placed.bottom};
        SetWindowPos(msg->hwnd, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        result = 1;
        return true;
    }
    default:
        return false;
    }
}

} // namespace spectrel::win32
