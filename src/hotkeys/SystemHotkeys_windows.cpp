#include "hotkeys/GlobalHotkeys.h"
#include "hotkeys/Win32Hotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <set>

namespace spectrel {

namespace {

// RegisterHotKey for the main window; Qt's window procedure hands WM_HOTKEY to the native event filter, also
// while Windows moves the window in a loop of its own.
class WindowsHotkeys : public GlobalHotkeys, private QAbstractNativeEventFilter {
public:
    WindowsHotkeys() { QCoreApplication::instance()->installNativeEventFilter(this); }

    void setOwnerWindow(quintptr window) override { m_window = reinterpret_cast<void*>(window); }
    bool registerHotkey(int id, int mask, int virtualKey) override
    {
        unregisterHotkey(id);
        if (!win32::registerHotkey(m_window, id, mask, virtualKey))
            return false;
        m_ids.insert(id);
        return true;
    }
    void unregisterHotkey(int id) override
    {
        if (m_ids.erase(id) > 0)
            win32::unregisterHotkey(m_window, id);
    }
    bool available() const override { return true; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const int id = win32::hotkeyIdOf(message);
        if (id < 0 || m_ids.count(id) == 0)
            return false;
        *result = 0;
        // The action may wait in an event loop of its own: it runs after this message, not inside it.
        QMetaObject::invokeMethod(
            this, [this, id] { Q_EMIT activated(id); }, Qt::QueuedConnection);
        return true;
    }

    std::set<int> m_ids;
    void* m_window = nullptr;
};

} // namespace

GlobalHotkeys& systemHotkeys()
{
    static WindowsHotkeys hotkeys;
    return hotkeys;
}

} // namespace spectrel
