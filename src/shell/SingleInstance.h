#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace spectrel {

// Only one copy of the program runs per user. The first copy listens on a local socket; a later copy hands it
// a message ("raise") and ends. The channel carries one line per message, each answered with "ok", so
// further requests can follow (`spectrelctl trigger` sends "trigger record" or "trigger stop"). It is Qt's
// local socket (QLocalSocket) on every platform; on Linux the program serves it with the system's own
// socket calls, so that Qt Network need not be loaded before the window shows.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The per-user channel name the program uses.
    static QString defaultName();

    // True when this process is the first copy and now listens; false when another copy runs, which has been
    // handed `message`.
    bool claim(const QByteArray& message = "raise");

Q_SIGNALS:
    void messageReceived(const QByteArray& message);

private:
    struct Listener;
    QString m_name;
    std::unique_ptr<Listener> m_listener;
};

} // namespace spectrel
