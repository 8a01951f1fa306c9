#pragma once

#include <QObject>

class QSocketNotifier;

namespace spectrel {

// TERM and HUP (`kill`, a closed terminal, a system going down) arrive as received() on the user-interface
// thread, so that the program ends through its own shutdown instead of dying where it stands. Only one may
// exist at a time; its destruction gives the signals back their default action. Where the system has no such
// signals it never fires.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace spectrel
