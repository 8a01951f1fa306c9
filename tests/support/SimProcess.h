#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

// The HLTV proxy simulator as a real process on loopback, for tests and benchmarks. It is started on a free
// port; its `rcon <command>` lines are collected as they come.
class SimProcess {
public:
    static QString program()
    {
        const QString fromEnv = qEnvironmentVariable("HLTV_SIM");
        return fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/hltv-sim")
                                 : fromEnv;
    }

    // Starts the simulator with `args` (plus --port 0) and waits for its "listening" line; false on failure.
    bool start(const QStringList& args = {})
    {
        m_process.setProgram(program());
        m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return false;
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                if (line.startsWith(QStringLiteral("listening "))) {
                    m_port = line.section(u':', -1).toUShort();
                    return m_port != 0;
                }
            }
        }
        return false;
    }

    ~SimProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("quit\n");
            if (!m_process.waitForFinished(2000)) {
                m_process.kill();
                m_process.waitForFinished(2000);
            }
        }
    }

    quint16 port() const { return m_port; }
    QString portText() const { return QString::number(m_port); }

    // Sends a control line ("set spectators 5", "silent on", ...).
    void control(const QByteArray& line) { m_process.write(line + '\n'); }

    // The `rcon ...` lines printed so far (without the "rcon " prefix).
    QStringList commands()
    {
        m_process.waitForReadyRead(0);
        while (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
            if (line.startsWith(QStringLiteral("rcon ")))
                m_commands.append(line.mid(5));
        }
        return m_commands;
    }
    // Waits (up to `ms`) until at least `n` commands were printed.
    QStringList waitForCommands(int n, int ms = 3000)
    {
        const QDeadlineTimer deadline(ms);
        while (commands().size() < n && !deadline.hasExpired())
            m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        return m_commands;
    }
    void clearCommands()
    {
        commands();
        m_commands.clear();
    }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QStringList m_commands;
};
