#include "fields/ClipboardProbe.h"

#include "core/Logging.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace spectrel {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A connection of its own, so that the answer (or its absence) never mixes with Qt's events; opened at the
// first question and kept for the program's life.
class Probe {
public:
    Probe() : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_c))
            return;
        m_clipboard = atom(m_c, "CLIPBOARD");
        m_targets = atom(m_c, "TARGETS");
        m_property = atom(m_c, "SPECTREL_CLIPBOARD_PROBE");
        m_window = xcb_generate_id(m_c);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_flush(m_c);
    }
    ~Probe() { xcb_disconnect(m_c); }

    bool ownerAnswers(int limitMs)
    {
        if (xcb_connection_has_error(m_c) || m_clipboard == XCB_ATOM_NONE)
            return true;
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr),
            &std::free);
        if (!owner || owner->owner == XCB_NONE)
            return true;
        xcb_convert_selection(m_c, m_window, m_clipboard, m_targets, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        const QDeadlineTimer deadline(limitMs);
        while (true) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
                const bool answer = (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
                std::free(event);
                if (answer) {
                    xcb_delete_property(m_c, m_window, m_property);
                    xcb_flush(m_c);
                    return true;
                }
            }
            const qint64 left = deadline.remainingTime();
            if (left <= 0 || xcb_connection_has_error(m_c))
                return false;
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            ::poll(&fd, 1, int(left));
        }
    }

private:
    xcb_connection_t* m_c;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
    xcb_window_t m_window = 0;
};

} // namespace

bool clipboardOwnerAnswers(int limitMs)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QGuiApplication::clipboard()->ownsClipboard())
        return true;
    static Probe probe;
    const bool answers = probe.ownerAnswers(limitMs);
    if (!answers)
        qCInfo(lcFields) << "the clipboard's owner did not answer within" << limitMs << "ms";
    return answers;
}

} // namespace spectrel
