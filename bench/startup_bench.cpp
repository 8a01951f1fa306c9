// How fast the real program opens its window and how much memory it takes: 20 starts under the current X
// server, each with its own settings folder that already holds FirstRun=False (no welcome notice). The time
// runs from starting the process until its main window is mapped, watched through a direct X connection; the
// memory is the process's peak resident set (VmHWM) just before the window is closed. Prints key=value lines;
// it never fails on time.
//
// Targets: startup_ms_p50 <= 300, rss_mb <= 60.

#include "BenchFigures.h"
#include "support/XDisplay.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace spectrel::bench;

namespace {

constexpr int kRuns = 20;
const QString kTitle = QStringLiteral("Spectrel by Zovan v1.2.9");

// The peak resident set of process `pid` in kB; 0 when it cannot be read.
long long peakRssKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("# startup_bench skipped: no X server (DISPLAY is not set)\n");
        return 0;
    }
    XDisplay x;
    if (!x.isOpen()) {
        std::printf("# startup_bench skipped: cannot open the X display\n");
        return 0;
    }

    std::vector<std::int64_t> startupUs;
    long long rssKb = 0;
    int failed = 0;
    for (int i = 0; i < kRuns; ++i) {
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QFile ini(home.filePath(QStringLiteral("config/Spectrel by Zovan.ini")));
        if (!ini.open(QIODevice::WriteOnly) || ini.write("[Settings]\nFirstRun=False\n") < 0)
            return 2;
        ini.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);

        QElapsedTimer clock;
        clock.start();
        program.start(QStringLiteral(SPECTREL_PROGRAM), {});
        const xcb_window_t window = x.waitForWindow(kTitle, 10000);
        const std::int64_t elapsedUs = clock.nsecsElapsed() / 1000;
        if (!window) {
            ++failed;
        } else {
            startupUs.push_back(elapsedUs);
            // Let the first paint and the idle work after it settle before reading the peak.
            QThread::msleep(300);
            rssKb = std::max(rssKb, peakRssKb(program.processId()));
            x.requestClose(window);
        }
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished(3000);
        }
    }

    std::vector<std::int64_t> sorted = startupUs;
    printCount("runs", kRuns);
    printCount("runs_without_window", failed);
    printFigure("startup_ms_min", percentile(sorted, 0.0001) / 1000.0);
    printFigure("startup_ms_p90", percentile(sorted, 90) / 1000.0);
    printFigure("startup_ms_p50", percentile(sorted, 50) / 1000.0);
    std::printf("# targets: startup_ms_p50 <= 300, rss_mb <= 60 (rss_mb is the largest VmHWM of the runs)\n");
    printFigure("rss_mb", double(rssKb) / 1024.0);
    return 0;
}
