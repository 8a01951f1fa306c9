// A stand-in for the desktop portal's global shortcuts on the session bus the tests start: it owns
// org.freedesktop.portal.Desktop, prints each call it takes on standard output ("Register spectrel",
// "CreateSession ...", "BindShortcuts record=CTRL+F7 (Record HLTV demo) ..."), answers each request by a
// Response signal to the caller after the call has returned, and emits Activated and Deactivated for
// "activate <shortcut>" lines on standard input. "ready" once it owns its name.
//
//   portal-stand-in [session=N] [bind=N] [no-shortcuts] [no-registry]
//
// answers CreateSession or BindShortcuts with the response code N (0 by default), or knows no global
// shortcuts or no host registry.

#include <QCoreApplication>
#include <QDateTime>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <map>
#include <unistd.h>

namespace {

const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The caller's part of a request or session object path: its unique name without ':', dots as '_'.
QString senderPart(const QDBusMessage& call)
{
    return call.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
}

class Portal : public QDBusVirtualObject {
public:
    uint sessionAnswer = 0;
    uint bindAnswer = 0;
    bool shortcuts = true;
    bool registry = true;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        const QVariantList args = call.arguments();
        if (registry && call.interface() == QLatin1String("org.freedesktop.host.portal.Registry") &&
            call.member() == QLatin1String("Register")) {
            say(QStringLiteral("Register ") + args.value(0).toString());
            bus.send(call.createReply());
            return true;
        }
        if (!shortcuts || call.interface() != kShortcuts)
            return false; // an unknown method, for the bus
        if (call.member() == QLatin1String("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(0));
            const QString token = options.value(QStringLiteral("session_handle_token")).toString();
            say(QStringLiteral("CreateSession handle_token=%1 session_handle_token=%2")
                    .arg(options.value(QStringLiteral("handle_token")).toString(), token));
            m_session = kObject + QStringLiteral("/session/") + senderPart(call) + QLatin1Char('/') + token;
            m_client = call.service();
            answer(call, bus, options, sessionAnswer, {{QStringLiteral("session_handle"), m_session}});
            return true;
        }
        if (call.member() == QLatin1String("BindShortcuts")) {
            std::map<QString, QString> bound; // by id, for a line in a fixed order
            const QDBusArgument list = qvariant_cast<QDBusArgument>(args.value(1));
            list.beginArray();
            while (!list.atEnd()) {
                QString id;
                QVariantMap properties;
                list.beginStructure();
                list >> id >> properties;
                list.endStructure();
                bound[id] = properties.value(QStringLiteral("preferred_trigger")).toString() +
                            QStringLiteral(" (") +
                            properties.value(QStringLiteral("description")).toString() + QLatin1Char(')');
            }
            list.endArray();
            QString line = QStringLiteral("BindShortcuts");
            for (const auto& [id, text] : bound)
                line += QLatin1Char(' ') + id + QLatin1Char('=') + text;
            if (qvariant_cast<QDBusObjectPath>(args.value(0)).path() != m_session)
                line += QStringLiteral(" in another session");
            say(line);
            answer(call, bus, qdbus_cast<QVariantMap>(args.value(3)), bindAnswer, {});
            return true;
        }
        return false;
    }

    // Emits Activated and Deactivated for `shortcut` in the session, to its owner.
    void activate(const QString& shortcut)
    {
        if (m_session.isEmpty())
            return;
        for (const char* name : {"Activated", "Deactivated"}) {
            QDBusMessage signal =
                QDBusMessage::createTargetedSignal(m_client, kObject, kShortcuts, QLatin1String(name));
            signal << QVariant::fromValue(QDBusObjectPath(m_session)) << shortcut
                   << qulonglong(QDateTime::currentMSecsSinceEpoch()) << QVariantMap();
            QDBusConnection::sessionBus().send(signal);
        }
    }

private:
    // Returns the request's object path, then emits its Response to the caller.
    void answer(const QDBusMessage& call, const QDBusConnection& bus, const QVariantMap& options, uint code,
                const QVariantMap& results)
    {
        const QString request = kObject + QStringLiteral("/request/") + senderPart(call) + QLatin1Char('/') +
                                options.value(QStringLiteral("handle_token")).toString();
        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        const QString caller = call.service();
        QTimer::singleShot(0, [bus, caller, request, code, results] {
            QDBusMessage response = QDBusMessage::createTargetedSignal(
                caller, request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            response << code << results;
            QDBusConnection(bus).send(response);
        });
    }

    QString m_session;
    QString m_client;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Portal portal;
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg.startsWith(QLatin1String("session=")))
            portal.sessionAnswer = arg.mid(8).toUInt();
        else if (arg.startsWith(QLatin1String("bind=")))
            portal.bindAnswer = arg.mid(5).toUInt();
        portal.shortcuts &= arg != QLatin1String("no-shortcuts");
        portal.registry &= arg != QLatin1String("no-registry");
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(kObject, &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "portal-stand-in: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char text[256];
        const ssize_t n = read(STDIN_FILENO, text, sizeof text);
        if (n <= 0)
            return QCoreApplication::quit();
        for (const QString& line : QString::fromLatin1(text, int(n)).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("activate ")))
                portal.activate(line.mid(9));
        }
    });
    say(QStringLiteral("ready"));
    return app.exec();
}
