#include "hotkeys/GlobalHotkeys.h"

#include "core/Logging.h"
#include "hotkeys/PortalHotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace spectrel {

namespace {

constexpr std::uint8_t kBadAccess = 10;
constexpr xcb_keysym_t kNumLockSym = 0xff7f;
constexpr std::uint16_t kModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

// The X keysym of a Windows virtual-key code of the key catalogue; 0 for a code it does not know.
xcb_keysym_t keysymOf(int virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return xcb_keysym_t('a' + (virtualKey - 'A')); // the keysym of the unshifted letter
    if (virtualKey >= '0' && virtualKey <= '9')
        return xcb_keysym_t(virtualKey);
    if (virtualKey >= 112 && virtualKey <= 123)
        return xcb_keysym_t(0xffbe + (virtualKey - 112)); // F1 to F12
    switch (virtualKey) {
    case 8:
        return 0xff08; // BackSpace
    case 9:
        return 0xff09; // Tab
    case 13:
        return 0xff0d; // Return
    case 32:
        return 0x0020; // space
    case 33:
        return 0xff55; // Prior
    case 34:
        return 0xff56; // Next
    case 35:
        return 0xff57; // End
    case 36:
        return 0xff50; // Home
    case 37:
        return 0xff51; // Left
    case 38:
        return 0xff52; // Up
    case 39:
        return 0xff53; // Right
    case 40:
        return 0xff54; // Down
    case 45:
        return 0xff63; // Insert
    }
    return 0;
}

// Alt, Ctrl and Shift of a mask as X modifiers: Mod1, Control, Shift.
std::uint16_t xModifiers(int mask)
{
    std::uint16_t mods = 0;
    if (mask & GlobalHotkeys::Alt)
        mods |= XCB_MOD_MASK_1;
    if (mask & GlobalHotkeys::Ctrl)
        mods |= XCB_MOD_MASK_CONTROL;
    if (mask & GlobalHotkeys::Shift)
        mods |= XCB_MOD_MASK_SHIFT;
    return mods;
}

struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};

// Key grabs on the root window of Qt's own X connection. A grab is made for the combination alone and again
// with NumLock, CapsLock and both held, since X compares the lock modifiers too; the presses arrive as
// KeyPress events through Qt's native event filter.
class X11Hotkeys : public GlobalHotkeys, private QAbstractNativeEventFilter {
public:
    // Without `grab` (or off X11) every registration is refused.
    explicit X11Hotkeys(bool grab)
    {
        if (!grab || QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !x11->connection())
            return;
        m_connection = x11->connection();
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_symbols.reset(xcb_key_symbols_alloc(m_connection));
        m_numLock = numLockModifier();
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool registerHotkey(int id, int mask, int virtualKey) override
    {
        unregisterHotkey(id);
        if (!m_connection)
            return false;
        Hotkey hotkey{xModifiers(mask), virtualKey, {}};
        if (!grab(hotkey))
            return false;
        m_hotkeys[id] = hotkey;
        return true;
    }

    void unregisterHotkey(int id) override
    {
        const auto it = m_hotkeys.find(id);
        if (it == m_hotkeys.end())
            return;
        ungrab(it->second);
        m_hotkeys.erase(it);
    }

    bool available() const override { return m_connection != nullptr; }

private:
    struct Hotkey {
        std::uint16_t modifiers;
        int virtualKey;
        std::vector<std::pair<xcb_keycode_t, std::uint16_t>> grabs; // key and modifiers of each grab made
    };

    std::vector<std::uint16_t> lockVariants() const
    {
        std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
        if (m_numLock != 0 && m_numLock != XCB_MOD_MASK_LOCK) {
            variants.push_back(m_numLock);
            variants.push_back(m_numLock | XCB_MOD_MASK_LOCK);
        }
        return variants;
    }

    // Grabs every key that carries the keysym, with each lock variant. Refused (and nothing kept) when the
    // keyboard has no such key or another client holds one of the grabs.
    bool grab(Hotkey& hotkey)
    {
        const xcb_keysym_t sym = keysymOf(hotkey.virtualKey);
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
            sym ? xcb_key_symbols_get_keycode(m_symbols.get(), sym) : nullptr, &std::free);
        if (!codes || codes.get()[0] == XCB_NO_SYMBOL) {
            qCInfo(lcHotkeys) << "no key on this keyboard for virtual-key code" << hotkey.virtualKey;
            return false;
        }
        for (const xcb_keycode_t* code = codes.get(); *code != XCB_NO_SYMBOL; ++code) {
            for (const std::uint16_t lock : lockVariants()) {
                const std::uint16_t mods = hotkey.modifiers | lock;
                xcb_generic_error_t* error = xcb_request_check(
                    m_connection, xcb_grab_key_checked(m_connection, 1, m_root, mods, *code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                if (error) {
                    qCInfo(lcHotkeys)
                        << "grab of key" << *code << "with modifiers" << mods << "refused, error"
                        << error->error_code << (error->error_code == kBadAccess ? "(held)" : "");
                    std::free(error);
                    ungrab(hotkey);
                    return false;
                }
                hotkey.grabs.emplace_back(*code, mods);
            }
        }
        return true;
    }

    void ungrab(Hotkey& hotkey)
    {
        for (const auto& [code, mods] : hotkey.grabs)
            xcb_ungrab_key(m_connection, code, m_root, mods);
        hotkey.grabs.clear();
        xcb_flush(m_connection);
    }

    // The modifier bit NumLock sits on: it differs between keyboard maps, so it is read from the server.
    std::uint16_t numLockModifier() const
    {
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numLock(
            xcb_key_symbols_get_keycode(m_symbols.get(), kNumLockSym), &std::free);
        std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> map(
            xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr),
            &std::free);
        if (!numLock || !map)
            return 0;
        const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(map.get());
        const int perModifier = map->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t key = keys[modifier * perModifier + i];
                for (const xcb_keycode_t* n = numLock.get(); key != 0 && *n != XCB_NO_SYMBOL; ++n) {
                    if (*n == key)
                        return std::uint16_t(1u << modifier);
                }
            }
        }
        return 0;
    }

    // A new keyboard map can move the keys and NumLock: every grab is made again from the virtual-key codes.
    void regrabAll()
    {
        for (auto& [id, hotkey] : m_hotkeys)
            ungrab(hotkey);
        m_numLock = numLockModifier();
        for (auto& [id, hotkey] : m_hotkeys) {
            if (!grab(hotkey))
                qCWarning(lcHotkeys) << "hotkey" << id << "lost with the new keyboard map";
        }
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            if (mapping->request != XCB_MAPPING_POINTER) {
                xcb_refresh_keyboard_mapping(m_symbols.get(), mapping);
                regrabAll();
            }
            return false; // Qt reads the new map too
        }
        if (type != XCB_KEY_PRESS)
            return false;
        auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (press->event != m_root)
            return false;
        const std::uint16_t mods = press->state & kModifiers;
        for (const auto& [id, hotkey] : m_hotkeys) {
            if (hotkey.modifiers != mods)
                continue;
            for (const auto& grabbed : hotkey.grabs) {
                if (grabbed.first == press->detail) {
                    announce(id);
                    return true;
                }
            }
        }
        return false;
    }

    // The action a hotkey runs may wait in an event loop of its own; it runs after Qt has finished reading
    // the X events, not inside that reading.
    void announce(int id)
    {
        QMetaObject::invokeMethod(
            this, [this, id] { Q_EMIT activated(id); }, Qt::QueuedConnection);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree> m_symbols;
    std::uint16_t m_numLock = 0;
    std::map<int, Hotkey> m_hotkeys;
};

enum class Backend { X11, Portal, None };

// X11 grabs where Qt runs on X11 (XWayland included), the portal where it runs on Wayland, none elsewhere.
// SPECTREL_HOTKEYS ("x11", "portal", "none") overrides the choice, for desktops that misreport and for tests.
Backend chosenBackend()
{
    const QByteArray forced = qgetenv("SPECTREL_HOTKEYS");
    if (forced == "x11")
        return Backend::X11;
    if (forced == "portal")
        return Backend::Portal;
    if (forced == "none")
        return Backend::None;
    if (!forced.isEmpty())
        qCWarning(lcHotkeys) << "SPECTREL_HOTKEYS:" << forced << "is none of x11, portal, none; ignored";
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb"))
        return Backend::X11;
    if (platform.startsWith(QLatin1String("wayland")))
        return Backend::Portal;
    return Backend::None;
}

GlobalHotkeys* makeSystemHotkeys()
{
    switch (chosenBackend()) {
    case Backend::Portal:
        qCInfo(lcHotkeys) << "global hotkeys through the desktop portal";
        return new PortalHotkeys(QDBusConnection::sessionBus());
    case Backend::X11:
        return new X11Hotkeys(true);
    case Backend::None:
        break;
    }
    return new X11Hotkeys(false);
}

} // namespace

GlobalHotkeys& systemHotkeys()
{
    // Never destroyed: the window's hotkeys may be released as late as the application's end.
    static GlobalHotkeys* const hotkeys = makeSystemHotkeys();
    return *hotkeys;
}

} // namespace spectrel
