#include "geometry/WindowMoves.h"

#include "core/Logging.h"
#include "geometry/StickyEdges.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace spectrel {

namespace {

// On X11 the window manager moves the window; the program sees where it went. A drag is a run of moves while
// the first mouse button is held: the window then sticks to the work area's edges (moved back where the rules
// put it) and is kept above the others until the button is let go.
class X11Moves : public QObject {
public:
    X11Moves(QWidget* window, xcb_connection_t* connection) : m_window(window), m_connection(connection)
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        m_release.setInterval(50);
        connect(&m_release, &QTimer::timeout, this, [this] {
            if (!buttonHeld())
                endDrag();
        });
        window->installEventFilter(this);
    }
    ~X11Moves() override
    {
        m_window->removeEventFilter(this);
        if (m_dragging)
            endDrag();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Move || m_moving || !buttonHeld())
            return false;
        const QRect frame = m_window->frameGeometry();
        const QPoint cursor = QCursor::pos();
        if (!m_dragging)
            beginDrag(frame, cursor);
        const sticky::Rect proposed{frame.left(), frame.top(), frame.left() + frame.width(),
                                    frame.top() + frame.height()};
        const sticky::Rect placed = sticky::moveWithin(proposed, {cursor.x(), cursor.y()}, m_drag);
        if (!(placed == proposed)) {
            m_moving = true;
            m_window->move(placed.left, placed.top);
            m_moving = false;
        }
        return false;
    }

private:
    bool buttonHeld() const
    {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        const bool held = reply && (reply->mask & XCB_BUTTON_MASK_1);
        std::free(reply);
        return held;
    }

    void beginDrag(const QRect& frame, const QPoint& cursor)
    {
        const QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : frame;
        m_drag = sticky::beginDrag(
            {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()},
            {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()},
            {cursor.x(), cursor.y()});
        m_dragging = true;
        keepAbove(true);
        m_release.start();
        qCDebug(lcShell) << "drag started";
    }

    void endDrag()
    {
        m_dragging = false;
        m_release.stop();
        keepAbove(false);
    }

    // _NET_WM_STATE_ABOVE through the window manager, as the window-manager hints ask a client to.
    void keepAbove(bool above)
    {
        const xcb_atom_t state = atom("_NET_WM_STATE");
        const xcb_atom_t aboveAtom = atom("_NET_WM_STATE_ABOVE");
        if (state == XCB_ATOM_NONE || aboveAtom == XCB_ATOM_NONE)
            return;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = xcb_window_t(m_window->winId());
        event.type = state;
        event.data.data32[0] = above ? 1 : 0; // _NET_WM_STATE_ADD / _NET_WM_STATE_REMOVE
        event.data.data32[1] = aboveAtom;
        event.data.data32[3] = 1; // a normal application
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }

    xcb_atom_t atom(const char* name) const
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    }

    QWidget* m_window;
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    QTimer m_release;
    sticky::Drag m_drag;
    bool m_dragging = false;
    bool m_moving = false;
};

} // namespace

std::unique_ptr<QObject> hookWindowMoves(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::make_unique<QObject>();
    return std::make_unique<X11Moves>(window, x11->connection());
}

} // namespace spectrel
