#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

// The HLTV proxy simulator as a process on loopback, for benchmarks. Unlike the tests' helper it writes its
// output to a file rather than a pipe: a pipe would have to be drained by the measured process, through its
// event loop, and a full one would stall the simulator. It is found in $HLTV_SIM, else at the path given when
// the benchmark was built.
class BenchSimulator {
public:
    static QString program()
    {
        const QString fromEnv = qEnvironmentVariable("HLTV_SIM");
#ifdef SPECTREL_HLTV_SIM
        return fromEnv.isEmpty() ? QStringLiteral(SPECTREL_HLTV_SIM) : fromEnv;
#else
        return fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/hltv-sim")
                                 : fromEnv;
#endif
    }

    // Starts the simulator with `args` (plus --port 0 --no-stdin) and waits for its "listening" line.
    bool start(const QStringList& args = {})
    {
        if (!m_dir.isValid())
            return false;
        m_process.setProgram(program());
        m_process.setArguments(
            QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--no-stdin")} + args);
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.setStandardOutputFile(outputPath());
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            for (const QString& line : outputLines()) {
                if (line.startsWith(QStringLiteral("listening "))) {
                    m_port = line.section(u':', -1).toUShort();
                    return m_port != 0;
                }
            }
            QThread::msleep(10);
        }
        return false;
    }

    ~BenchSimulator()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate(); // the simulator leaves through its event loop on SIGTERM
            if (!m_process.waitForFinished(2000)) {
                m_process.kill();
                m_process.waitForFinished(2000);
            }
        }
    }

    quint16 port() const
    {
        return m_port;
    }
    QString portText() const
    {
        return QString::number(m_port);
    }
    QString errorText() const
    {
        return m_process.errorString();
    }

    // How many `rcon <command>` lines the simulator has printed so far.
    int acceptedCommands() const
    {
        int n = 0;
        for (const QString& line : outputLines())
            n += line.startsWith(QStringLiteral("rcon ")) ? 1 : 0;
        return n;
    }

private:
    QString outputPath() const
    {
        return m_dir.filePath(QStringLiteral("hltv-sim.out"));
    }
    QStringList outputLines() const
    {
        QFile f(outputPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
