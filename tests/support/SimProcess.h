#pragma once

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <optional>

// The HLTV proxy simulator (tools/hltv-sim) as a real process on loopback, for tests and benchmarks. It is
// started on a free port; its `rcon <command>` lines (standard output) and its console lines (standard
// error) are collected as they come, and control lines go to its standard input.
//
// Output::Pipe reads the output through pipes. Output::File lets the simulator write into files instead, for
// a benchmark: a pipe has to be drained by the measured process, and a full one would stall the simulator.
class SimProcess {
public:
    enum class Output { Pipe, File };

    explicit SimProcess(Output output = Output::Pipe) : m_output(output) {}
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    ~SimProcess()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate(); // it leaves through its event loop on SIGTERM
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // $HLTV_SIM (ctest sets it), else the path the build gave, else next to the running program.
    static QString program()
    {
        const QString fromEnv = qEnvironmentVariable("HLTV_SIM");
        if (!fromEnv.isEmpty())
            return fromEnv;
#ifdef SPECTREL_HLTV_SIM
        return QStringLiteral(SPECTREL_HLTV_SIM);
#else
        return QCoreApplication::applicationDirPath() + QStringLiteral("/hltv-sim");
#endif
    }

    // Starts the simulator with `args` (plus --port 0) and waits for its "listening" line; false on failure.
    bool start(const QStringList& args = {})
    {
        m_process.setProgram(program());
        m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
        if (m_output == Output::File) {
            m_dir.emplace();
            if (!m_dir->isValid())
                return false;
            m_process.setStandardOutputFile(m_dir->filePath(QStringLiteral("stdout")));
            m_process.setStandardErrorFile(m_dir->filePath(QStringLiteral("stderr")));
        }
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(10000);
        while (m_port == 0 && m_process.state() == QProcess::Running && !deadline.hasExpired())
            waitForOutput(deadline);
        return m_port != 0;
    }

    quint16 port() const
    {
        return m_port;
    }
    QString portText() const
    {
        return QString::number(m_port);
    }
    qint64 processId() const
    {
        return m_process.processId();
    }
    // Why the start failed, or what the simulator said on its console; for failure messages.
    QString errorText()
    {
        pump();
        return m_process.errorString() + QLatin1Char('\n') + QString::fromLatin1(m_log.join('\n'));
    }

    // Sends a control line ("set spectators 5", "silent on", ...; see hltv-sim --help) and waits until the
    // simulator has applied it. False when it refused the line or did not answer in time.
    bool control(const QByteArray& line, int ms = 3000)
    {
        pump();
        qsizetype seen = m_log.size();
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(ms);
        const QByteArray applied = line.trimmed();
        const QDeadlineTimer deadline(ms);
        for (;;) {
            for (; seen < m_log.size(); ++seen) {
                const QByteArray& said = m_log.at(seen);
                if (said == "ok: " + applied)
                    return true;
                if (said.startsWith("refused: " + applied + ':') ||
                    said == "unknown control line: " + applied)
                    return false;
            }
            if (deadline.hasExpired() || m_process.state() != QProcess::Running)
                return false;
            waitForOutput(deadline);
        }
    }

    // The `rcon ...` lines printed so far (without the "rcon " prefix).
    QStringList commands()
    {
        pump();
        return m_commands;
    }
    // Waits (up to `ms`) until at least `n` commands were printed.
    QStringList waitForCommands(int n, int ms = 3000)
    {
        const QDeadlineTimer deadline(ms);
        while (commands().size() < n && !deadline.hasExpired() && m_process.state() == QProcess::Running)
            waitForOutput(deadline);
        return commands();
    }
    void clearCommands()
    {
        pump();
        m_commands.clear();
    }

private:
    // Collects what the simulator wrote since the last call into whole lines.
    void pump()
    {
        if (m_output == Output::Pipe) {
            m_process.waitForReadyRead(0); // without an event loop, QProcess reads its pipes only in waits
            m_stdout += m_process.readAllStandardOutput();
            m_stderr += m_process.readAllStandardError();
        } else {
            m_stdout += readFile(QStringLiteral("stdout"), m_stdoutRead);
            m_stderr += readFile(QStringLiteral("stderr"), m_stderrRead);
        }
        for (const QByteArray& line : takeLines(m_stdout)) {
            if (line.startsWith("rcon "))
                m_commands.append(QString::fromUtf8(line.mid(5)));
            else if (line.startsWith("listening ") && m_port == 0)
                m_port = line.mid(line.lastIndexOf(':') + 1).toUShort();
        }
        m_log += takeLines(m_stderr);
    }

    void waitForOutput(const QDeadlineTimer& deadline)
    {
        const int ms = int(std::clamp<qint64>(deadline.remainingTime(), 1, 10));
        if (m_output == Output::Pipe)
            m_process.waitForReadyRead(ms);
        else
            QThread::msleep(ms);
        pump();
    }

    QByteArray readFile(const QString& name, qint64& offset) const
    {
        QFile file(m_dir->filePath(name));
        if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
            return {};
        const QByteArray data = file.readAll();
        offset += data.size();
        return data;
    }

    static QByteArrayList takeLines(QByteArray& text)
    {
        QByteArrayList lines;
        qsizetype end;
        while ((end = text.indexOf('\n')) >= 0) {
            lines.append(text.left(end));
            text.remove(0, end + 1);
        }
        return lines;
    }

    Output m_output;
    std::optional<QTemporaryDir> m_dir; // for Output::File

    QProcess m_process;
    quint16 m_port = 0;
    QByteArray m_stdout; // an unfinished last line
    QByteArray m_stderr;
    qint64 m_stdoutRead = 0;
    qint64 m_stderrRead = 0;
    QStringList m_commands;
    QByteArrayList m_log;
};
