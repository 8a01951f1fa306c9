#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

namespace spectrel {

// An HTTP server on loopback that answers every request with one status and body: at once; one byte at a
// time, calling `advance` with `stepMs` after each (a test moves its clock), going silent after `silentAfter`
// bytes (`advance` then gets `silenceMs`); or, while held, not at all until released. Link Qt6::Network.
class HttpServer : public QObject {
public:
    int status = 200;
    QByteArray body;
    bool held = false;
    int stepMs = 0;       // 0: the whole body at once
    int silentAfter = -1; // -1: never silent
    int silenceMs = 0;
    std::function<void(int)> advance;
    int requests = 0;

    explicit HttpServer(quint16 port = 0)
    {
        m_server.listen(QHostAddress::LocalHost, port);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, this, [this, s] { request(s); });
        });
    }
    bool isListening() const { return m_server.isListening(); }
    QString address() const
    {
        return QStringLiteral("http://127.0.0.1:%1/data.txt").arg(m_server.serverPort());
    }
    void release()
    {
        held = false;
        for (QTcpSocket* s : std::exchange(m_waiting, {}))
            answer(s);
    }

private:
    void request(QTcpSocket* s)
    {
        if (!s->readAll().contains("\r\n\r\n"))
            return; // the request is not complete yet; these are small enough to come at once
        ++requests;
        if (held)
            m_waiting << s;
        else
            answer(s);
    }
    void answer(QTcpSocket* s)
    {
        s->write("HTTP/1.1 " + QByteArray::number(status) +
                 " Whatever\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n");
        if (stepMs != 0)
            return trickle(s, 0);
        s->write(body);
        s->flush(); // the test may be waiting without an event loop
    }
    void trickle(QTcpSocket* s, int at)
    {
        if (at == silentAfter) {
            QTimer::singleShot(300, s, [this] { advance(silenceMs); });
        } else if (at < body.size()) {
            s->write(body.mid(at, 1));
            advance(stepMs);
            QTimer::singleShot(10, s, [this, s, at] { trickle(s, at + 1); });
        }
    }

    QTcpServer m_server;
    QList<QTcpSocket*> m_waiting;
};

} // namespace spectrel
