#pragma once

#include "hotkeys/GlobalHotkeys.h"

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

#include <map>

class QDBusMessage;
class QDBusObjectPath;

namespace spectrel {

// A combination in the freedesktop shortcuts format, as a portal takes its preferred trigger: the modifiers
// of `mask` (CTRL, ALT, SHIFT, in that order) and the xkb name of the key of `virtualKey`, joined by "+"
// ("CTRL+SHIFT+F7"). Empty for a key code the key catalogue does not hold.
QString portalTrigger(int mask, int virtualKey);

// Global shortcuts through the desktop portal (org.freedesktop.portal.GlobalShortcuts on the session bus), as
// Wayland desktops offer them. The program registers with the host registry as "spectrel" (where there is
// one), then creates one session, kept for its life; the hotkeys held are bound as shortcuts "record" and
// "stop" with the row's combination as the preferred trigger, and every change binds the remaining set again.
//
// The portal answers later, by a Response signal on a request object: registerHotkey() accepts a combination
// at once and reports refused() when the portal declines it, fails, or is not there. No call waits.
class PortalHotkeys : public GlobalHotkeys {
    Q_OBJECT
public:
    explicit PortalHotkeys(const QDBusConnection& bus);

    bool registerHotkey(int id, int mask, int virtualKey) override;
    void unregisterHotkey(int id) override;
    // Whether the portal is there is known only from its answer; a missing one refuses each registration.
    bool available() const override { return true; }

private Q_SLOTS:
    void requestAnswered(uint code, const QVariantMap& results, const QDBusMessage& message);
    void shortcutActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                           const QVariantMap& options);

private:
    using Shortcuts = std::map<int, QString>; // hotkey id -> preferred trigger

    enum class State { NoSession, Starting, Ready };
    enum class Call { CreateSession, BindShortcuts };

    void createSession();
    void bindShortcuts();
    // Calls `method` of the GlobalShortcuts interface with a request token of its own: the request's answer
    // is awaited on the request's object, subscribed to before the call goes out.
    void callWithRequest(Call call, const QString& method, QVariantList arguments, QVariantMap options);
    void sessionFailed(const QString& reason);
    void bindFailed(const QString& reason);
    void forgetRequest(const QString& path);

    QDBusConnection m_bus;
    State m_state = State::NoSession;
    bool m_registryAsked = false;
    QString m_session;                  // the session's object path once created
    int m_tokens = 0;                   // request and session tokens handed out
    std::map<QString, Call> m_requests; // request object path -> the call it answers
    Shortcuts m_wanted;                 // what the rows hold
    Shortcuts m_bound;                  // what the portal granted last
    Shortcuts m_sent;                   // what the bind under way asks for
    bool m_binding = false;
};

} // namespace spectrel
