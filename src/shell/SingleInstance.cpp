#include "shell/SingleInstance.h"

#include "core/InstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

namespace spectrel {

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

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A copy that crashed leaves its socket file behind; nobody answered on it above.
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
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
