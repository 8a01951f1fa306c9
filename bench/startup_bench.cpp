// How fast the real program opens its window and how much memory it takes, next to a bare Qt Widgets window
// (bare_window) started the same way in the same run: 20 starts of each under the current X server, taking
// turns, the program each time with its own settings folder that already holds FirstRun=False (no welcome
// notice). The program's cache folder (the condensed captions' stretches) is the same for all runs, as for a
// user whose program has started before: one start not counted fills it. The first start of all, with an
// empty cache, is measured too (startup_first_ms_p50), each with a cache folder of its own. The time runs
// from starting the process until its main window is mapped, watched through a direct X connection; the
// memory is the program's peak resident set (VmHWM) just before the window is closed. The yardstick is the
// bare window with one line of text: a window with any caption loads a font before it is mapped, an empty one
// only after, so the empty window is measured too but is not the headline. Prints key=value lines, the ratio
// of the medians last; it never fails on time.
//
//   startup_bench [program]     (default: the program of this build)
//
// Targets: startup_ms_p50 <= 300, rss_mb <= 60, startup_ratio_vs_bare_qt <= 1.15.

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
const QString kBareTitle = QStringLiteral("Bare Qt window");

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

struct Start {
    std::int64_t us = 0; // 0: no window came
    long long rssKb = 0;
};

// Starts `program`, waits for its window titled `title` and closes it again; the program's memory is read
// when `settle` (the first paint and the idle work after it done).
Start startOnce(XDisplay& x, const QString& program, const QStringList& args, const QString& title,
                const QProcessEnvironment& env, bool settle)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    const xcb_window_t window = x.waitForWindow(title, 10000);
    Start result;
    if (window) {
        result.us = clock.nsecsElapsed() / 1000;
        if (settle) {
            QThread::msleep(300);
            result.rssKb = peakRssKb(process.processId());
        }
        x.requestClose(window);
    }
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(3000);
    }
    return result;
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
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SPECTREL_PROGRAM);
    const QString bare = QStringLiteral(SPECTREL_BARE_WINDOW);

    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    std::vector<std::int64_t> startupUs;
    std::vector<std::int64_t> firstUs; // the program with an empty cache folder
    std::vector<std::int64_t> bareUs;  // the window with a line of text
    std::vector<std::int64_t> emptyUs; // the empty window
    long long rssKb = 0;
    int failed = 0;
    QTemporaryDir cache; // shared by the runs that start as a user's program does
    for (int i = -1; i < kRuns; ++i) {
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QFile ini(home.filePath(QStringLiteral("config/Spectrel by Zovan.ini")));
        if (!ini.open(QIODevice::WriteOnly) || ini.write("[Settings]\nFirstRun=False\n") < 0)
            return 2;
        ini.close();
        QProcessEnvironment env = base;
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        QProcessEnvironment first = env;
        first.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
        if (i < 0) { // fills the shared cache
            startOnce(x, program, {}, kTitle, env, false);
            continue;
        }

        // Taking turns, so that whatever else the machine does weighs on all alike.
        if (const Start s = startOnce(x, bare, {QStringLiteral("--text")}, kBareTitle, env, false); s.us)
            bareUs.push_back(s.us);
        if (const Start s = startOnce(x, bare, {}, kBareTitle, env, false); s.us)
            emptyUs.push_back(s.us);
        if (const Start s = startOnce(x, program, {}, kTitle, first, false); s.us)
            firstUs.push_back(s.us);
        const Start ours = startOnce(x, program, {}, kTitle, env, true);
        if (!ours.us) {
            ++failed;
            continue;
        }
        startupUs.push_back(ours.us);
        rssKb = std::max(rssKb, ours.rssKb);
    }

    const double median = percentile(startupUs, 50);
    const double bareMedian = percentile(bareUs, 50);
    const double emptyMedian = percentile(emptyUs, 50);
    printCount("runs", kRuns);
    printCount("runs_without_window", failed);
    printFigure("startup_ms_min", percentile(startupUs, 0.0001) / 1000.0);
    printFigure("startup_ms_p90", percentile(startupUs, 90) / 1000.0);
    printFigure("startup_ms_p50", median / 1000.0);
    printFigure("startup_first_ms_p50", percentile(firstUs, 50) / 1000.0);
    printFigure("empty_qt_window_ms_p50", emptyMedian / 1000.0);
    printFigure("bare_qt_ms_p50", bareMedian / 1000.0);
    printFigure("rss_mb", double(rssKb) / 1024.0);
    std::printf("# targets: startup_ms_p50 <= 300, rss_mb <= 60 (rss_mb is the largest VmHWM of the runs), "
                "startup_ratio_vs_bare_qt <= 1.15 (the medians; the bare window shows a line of text)\n");
    printFigure("startup_ratio_vs_empty_qt_window", emptyMedian > 0 ? median / emptyMedian : 0.0);
    printFigure("startup_ratio_vs_bare_qt", bareMedian > 0 ? median / bareMedian : 0.0);
    return 0;
}
