#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QRect>
#include <QString>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

// A direct connection to the X server the tests run on, for what a test needs to see of another process's
// windows: finding a top-level window by its exact caption, its geometry, a picture of it, and asking it to
// close the way a window manager would (WM_DELETE_WINDOW), which xdotool of this vintage cannot do.
class XDisplay {
public:
    XDisplay() : m_connection(xcb_connect(nullptr, &m_screenNumber))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < m_screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        m_screen = it.data;
        m_utf8String = atom("UTF8_STRING");
        m_netWmName = atom("_NET_WM_NAME");
        m_wmProtocols = atom("WM_PROTOCOLS");
        m_wmDeleteWindow = atom("WM_DELETE_WINDOW");
    }
    ~XDisplay() { xcb_disconnect(m_connection); }
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool isOpen() const { return m_screen != nullptr; }
    QSize screenSize() const
    {
        return m_screen ? QSize(m_screen->width_in_pixels, m_screen->height_in_pixels) : QSize();
    }

    // The mapped top-level window whose WM_NAME is exactly `caption`; 0 when there is none.
    xcb_window_t findWindow(const QString& caption)
    {
        if (!m_screen)
            return 0;
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_screen->root), nullptr);
        if (!tree)
            return 0;
        xcb_window_t found = 0;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = xcb_query_tree_children_length(tree) - 1; i >= 0 && !found; --i) {
            if (isViewable(children[i]) && windowName(children[i]) == caption)
                found = children[i];
        }
        std::free(tree);
        return found;
    }

    // The caption a window manager of today shows in the title bar and the task bar.
    QString netWmName(xcb_window_t window) { return property(window, m_netWmName, m_utf8String); }

    // The sizes of the pictures the window offers as its icon (_NET_WM_ICON), smallest first.
    QList<QSize> iconSizes(xcb_window_t window)
    {
        xcb_get_property_reply_t* p = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 1 << 20),
            nullptr);
        QList<QSize> sizes;
        if (p && p->format == 32) {
            const auto* words = static_cast<const quint32*>(xcb_get_property_value(p));
            const qsizetype count = xcb_get_property_value_length(p) / 4;
            for (qsizetype i = 0; i + 1 < count; i += 2 + qsizetype(words[i]) * words[i + 1])
                sizes.append(QSize(int(words[i]), int(words[i + 1])));
        }
        std::free(p);
        std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
        return sizes;
    }

    // Polls for the window until `ms` have passed.
    xcb_window_t waitForWindow(const QString& caption, int ms)
    {
        const QDeadlineTimer deadline(ms);
        do {
            if (const xcb_window_t w = findWindow(caption))
                return w;
            QThread::msleep(2);
        } while (!deadline.hasExpired());
        return 0;
    }

    // Position on the screen and size of the window's contents (there is no frame without a window manager).
    QRect geometry(xcb_window_t window)
    {
        xcb_get_geometry_reply_t* g =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!g)
            return {};
        QRect r(g->x, g->y, g->width, g->height);
        std::free(g);
        xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_screen->root, 0, 0), nullptr);
        if (t) {
            r.moveTo(t->dst_x, t->dst_y);
            std::free(t);
        }
        return r;
    }

    // What a window manager sends when the user clicks the close button.
    void requestClose(xcb_window_t window)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = m_wmProtocols;
        event.data.data32[0] = m_wmDeleteWindow;
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    bool isViewable(xcb_window_t window)
    {
        xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        return viewable;
    }

    QString property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
    {
        xcb_get_property_reply_t* p = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 1024), nullptr);
        QString text;
        if (p && p->type == type)
            text = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(p)),
                                     xcb_get_property_value_length(p));
        std::free(p);
        return text;
    }

    // The ICCCM caption (WM_NAME), which every window manager and xdotool read.
    QString windowName(xcb_window_t window) { return property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING); }

    int m_screenNumber = 0;
    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    xcb_atom_t m_utf8String = XCB_ATOM_NONE;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
    xcb_atom_t m_wmProtocols = XCB_ATOM_NONE;
    xcb_atom_t m_wmDeleteWindow = XCB_ATOM_NONE;
};
