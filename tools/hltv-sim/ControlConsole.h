#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace spectrel::sim {

class ProxySimulator;

// Operator lines on a file descriptor (standard input) that change the proxy while it runs, so a test can
// move spectators, drop the game server or start a demo behind the client's back. The lines are listed in
// the simulator's --help. The end of the input only
// ends the reading: the proxy goes on answering until "quit" or a signal.
class ControlConsole : public QObject {
    Q_OBJECT
public:
    explicit ControlConsole(ProxySimulator& simulator, QObject* parent = nullptr);

    // False when fd cannot be read, or is the terminal of a job in the background (reading it would stop us).
    bool start(int fd);
    // Applies one line and reports the result on standard error.
    void apply(const QByteArray& line);

Q_SIGNALS:
    void quitRequested();

private:
    void readInput();
    void stopReading();

    ProxySimulator& m_simulator;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_fd = -1;
    QByteArray m_pending;
};

} // namespace spectrel::sim
