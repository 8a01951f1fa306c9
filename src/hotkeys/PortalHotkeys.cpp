#include "hotkeys/PortalHotkeys.h"

#include "core/Logging.h"
#include "hotkeys/HotkeyBinding.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace {

// One entry of a shortcut list, a(sa{sv}): the shortcut's id and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace spectrel {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kRegistry = QStringLiteral("org.freedesktop.host.portal.Registry");
const QString kAppId = QStringLiteral("spectrel"); // the desktop entry's name

// The xkb name of the key of a virtual-key code of the key catalogue; empty for any other code.
QString keyName(int virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return QString(QChar(virtualKey)).toLower(); // the key's own symbol, not the shifted one
    if (virtualKey >= '0' && virtualKey <= '9')
        return QString(QChar(virtualKey));
    if (virtualKey >= 112 && virtualKey <= 123)
        return QStringLiteral("F%1").arg(virtualKey - 111);
    switch (virtualKey) {
    case 8:
        return QStringLiteral("BackSpace");
    case 9:
        return QStringLiteral("Tab");
    case 13:
        return QStringLiteral("Return");
    case 32:
        return QStringLiteral("space");
    case 33:
        return QStringLiteral("Page_Up");
    case 34:
        return QStringLiteral("Page_Down");
    case 35:
        return QStringLiteral("End");
    case 36:
        return QStringLiteral("Home");
    case 37:
        return QStringLiteral("Left");
    case 38:
        return QStringLiteral("Up");
    case 39:
        return QStringLiteral("Right");
    case 40:
        return QStringLiteral("Down");
    case 45:
        return QStringLiteral("Insert");
    }
    return {};
}

// The shortcut's id and what the desktop's settings show for it.
struct ShortcutName {
    const char* id;
    const char* description;
};
ShortcutName shortcutName(int hotkeyId)
{
    return hotkeyId == HotkeyBinding::RecordHotkeyId ? ShortcutName{"record", "Record HLTV demo"}
                                                     : ShortcutName{"stop", "Stop HLTV demo"};
}

int hotkeyIdOf(const QString& shortcut)
{
    if (shortcut == QLatin1String("record"))
        return HotkeyBinding::RecordHotkeyId;
    if (shortcut == QLatin1String("stop"))
        return HotkeyBinding::StopHotkeyId;
    return 0;
}

QDBusMessage portalCall(const QString& interface, const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kObject, interface, method);
}

} // namespace

QString portalTrigger(int mask, int virtualKey)
{
    const QString key = keyName(virtualKey);
    if (key.isEmpty())
        return {};
    QString trigger;
    if (mask & GlobalHotkeys::Ctrl)
        trigger += QLatin1String("CTRL+");
    if (mask & GlobalHotkeys::Alt)
        trigger += QLatin1String("ALT+");
    if (mask & GlobalHotkeys::Shift)
        trigger += QLatin1String("SHIFT+");
    return trigger + key;
}

PortalHotkeys::PortalHotkeys(const QDBusConnection& bus) : m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

bool PortalHotkeys::registerHotkey(int id, int mask, int virtualKey)
{
    const QString trigger = portalTrigger(mask, virtualKey);
    if (trigger.isEmpty() || (id != HotkeyBinding::RecordHotkeyId && id != HotkeyBinding::StopHotkeyId))
        return false;
    m_wanted[id] = trigger;
    if (m_state == State::NoSession)
        createSession();
    else if (m_state == State::Ready)
        bindShortcuts();
    return true;
}

void PortalHotkeys::unregisterHotkey(int id)
{
    if (m_wanted.erase(id) > 0 && m_state == State::Ready)
        bindShortcuts();
}

void PortalHotkeys::createSession()
{
    m_state = State::Starting;
    if (!m_bus.isConnected()) {
        // Refused after the call that asked, as a portal's answer comes.
        QTimer::singleShot(0, this, [this] { sessionFailed(QStringLiteral("no session bus")); });
        return;
    }
    if (!m_registryAsked) {
        // The registration names the program before its first portal call; without a registry (an older
        // portal) or with a refusal, the session is asked for all the same.
        m_registryAsked = true;
        QDBusMessage registration = portalCall(kRegistry, QStringLiteral("Register"));
        registration << kAppId << QVariantMap();
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(registration), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (w->isError())
                qCInfo(lcHotkeys).noquote() << "portal registration failed:" << w->error().name();
            createSession();
        });
        return;
    }
    ++m_tokens;
    callWithRequest(Call::CreateSession, QStringLiteral("CreateSession"), {},
                    {{QStringLiteral("session_handle_token"), QStringLiteral("spectrel%1").arg(m_tokens)}});
}

void PortalHotkeys::bindShortcuts()
{
    if (m_binding)
        return; // bound again when the answer to the bind under way comes
    m_binding = true;
    m_sent = m_wanted;
    QList<PortalShortcut> shortcuts;
    for (const auto& [id, trigger] : m_sent) {
        const ShortcutName name = shortcutName(id);
        shortcuts.append({QString::fromLatin1(name.id),
                          {{QStringLiteral("description"), QString::fromLatin1(name.description)},
                           {QStringLiteral("preferred_trigger"), trigger}}});
    }
    callWithRequest(
        Call::BindShortcuts, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString()}, {});
}

void PortalHotkeys::callWithRequest(Call call, const QString& method, QVariantList arguments,
                                    QVariantMap options)
{
    const QString token = QStringLiteral("spectrel%1").arg(++m_tokens);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = kObject + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    m_bus.connect({}, path, kRequest, QStringLiteral("Response"), this,
                  SLOT(requestAnswered(uint, QVariantMap, QDBusMessage)));
    m_requests[path] = call;

    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage message = portalCall(kShortcuts, method);
    message.setArguments(arguments << options);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, call, path](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *w;
            if (reply.isError()) {
                forgetRequest(path);
                const QString reason = reply.error().name() + QStringLiteral(": ") + reply.error().message();
                call == Call::CreateSession ? sessionFailed(reason) : bindFailed(reason);
            } else if (reply.value().path() != path && m_requests.erase(path) > 0) {
                // A portal older than request tokens answers on a request object of its own naming.
                m_bus.disconnect({}, path, kRequest, QStringLiteral("Response"), this,
                                 SLOT(requestAnswered(uint, QVariantMap, QDBusMessage)));
                m_bus.connect({}, reply.value().path(), kRequest, QStringLiteral("Response"), this,
                              SLOT(requestAnswered(uint, QVariantMap, QDBusMessage)));
                m_requests[reply.value().path()] = call;
            }
        });
}

void PortalHotkeys::forgetRequest(const QString& path)
{
    m_bus.disconnect({}, path, kRequest, QStringLiteral("Response"), this,
                     SLOT(requestAnswered(uint, QVariantMap, QDBusMessage)));
    m_requests.erase(path);
}

void PortalHotkeys::requestAnswered(uint code, const QVariantMap& results, const QDBusMessage& message)
{
    const auto request = m_requests.find(message.path());
    if (request == m_requests.end())
        return;
    const Call call = request->second;
    forgetRequest(message.path());
    // 0 granted, 1 declined by the user, 2 ended otherwise.
    const QString reason = QStringLiteral("response %1").arg(code);
    if (call == Call::CreateSession) {
        // A string by the portal's documentation; some portals send an object path.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        const QString session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                                    ? handle.value<QDBusObjectPath>().path()
                                    : handle.toString();
        if (code != 0 || session.isEmpty())
            return sessionFailed(reason);
        m_session = session;
        qCInfo(lcHotkeys).noquote() << "portal session" << m_session;
        m_state = State::Ready;
        m_bus.connect({}, kObject, kShortcuts, QStringLiteral("Activated"), this,
                      SLOT(shortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        if (!m_wanted.empty())
            bindShortcuts();
        return;
    }
    if (code != 0)
        return bindFailed(reason);
    m_binding = false;
    m_bound = m_sent;
    for (const PortalShortcut& s :
         qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts"))))
        qCInfo(lcHotkeys).noquote() << "portal shortcut" << s.id << "on"
                                    << s.properties.value(QStringLiteral("trigger_description")).toString();
    if (m_wanted != m_bound)
        bindShortcuts();
}

void PortalHotkeys::sessionFailed(const QString& reason)
{
    qCInfo(lcHotkeys).noquote() << "no portal session for global shortcuts:" << reason;
    m_state = State::NoSession; // the next registration asks again
    const Shortcuts refused = std::exchange(m_wanted, {});
    for (const auto& [id, trigger] : refused)
        Q_EMIT this->refused(id);
}

void PortalHotkeys::bindFailed(const QString& reason)
{
    qCInfo(lcHotkeys).noquote() << "portal refused the shortcuts:" << reason;
    m_binding = false;
    // What was granted before stays; what this bind newly asked for is refused.
    std::vector<int> refused;
    for (const auto& [id, trigger] : m_sent) {
        const auto wanted = m_wanted.find(id);
        const auto bound = m_bound.find(id);
        if (wanted != m_wanted.end() && wanted->second == trigger &&
            (bound == m_bound.end() || bound->second != trigger)) {
            m_wanted.erase(wanted);
            refused.push_back(id);
        }
    }
    for (const int id : refused) {
        m_sent.erase(id);
        Q_EMIT this->refused(id);
    }
    // Rows changed while the portal was asked: it is asked again for what they hold now.
    if (m_wanted != m_sent)
        bindShortcuts();
}

void PortalHotkeys::shortcutActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong,
                                      const QVariantMap&)
{
    const int id = hotkeyIdOf(shortcut);
    if (session.path() == m_session && m_wanted.count(id) > 0)
        Q_EMIT activated(id);
}

} // namespace spectrel
