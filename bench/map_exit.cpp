// Preloaded into a program by startup_instructions: ends the process the moment its first window has been
// mapped (the map request sent to the X server), so that an instruction count covers exactly the work done
// before the window shows.

#include <xcb/xcb.h>

#include <dlfcn.h>
#include <unistd.h>

extern "C" xcb_void_cookie_t xcb_map_window(xcb_connection_t* connection, xcb_window_t window)
{
    using MapWindow = xcb_void_cookie_t (*)(xcb_connection_t*, xcb_window_t);
    static const auto next = reinterpret_cast<MapWindow>(dlsym(RTLD_NEXT, "xcb_map_window"));
    const xcb_void_cookie_t cookie = next(connection, window);
    xcb_flush(connection);
    _exit(0);
    return cookie;
}
