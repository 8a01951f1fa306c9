#include "shell/SingleInstance.h"

#include "core/InstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

namespace spectrel {

struct SingleInstance::Listener {
    QLocalServer server;
};

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName()
{
    return instanceChannelName();
}

bool SingleInstance::claim(const QByteArray& message)
{
    QLocalSocket other;
    other.connectToServer(m_name);
    if (other.waitForConnected(500)) {
        other.write(message + '\n');
        other.waitForBytesWritten(1000);
        other.disconnectFromServer();
        return false;
    }

    m_listener = std::make_unique<Listener>();
    QLocalServer& server = m_listener->server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(m_name)) {
        // A copy that crashed leaves its socket file behind; nobody answered on it above.
        QLocalServer::removeServer(m_name);
        server.listen(m_name);
    }
    connect(&server, &QLocalServer::newConnection, this, [this, &server] {
        while (QLocalSocket* s = server.nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            auto lines = std::make_shared<ChannelLines>();
            connect(s, &QLocalSocket::readyRead, this, [this, s, lines] {
                for (const QByteArray& line : lines->take(s->readAll())) {
                    Q_EMIT messageReceived(line);
                    s->write("ok\n"); // the sender learns that a running copy took the line
                }
            });
        }
    });
    return true;
}

} // namespace spectrel
