// The link next to a general-purpose rcon client: the same `status` requests against one simulator through
// ProxySession, through the blocking floor client, and through the npm `rcon` package (UDP, challenge mode)
// running in node, driven block by block over its standard input. Run through bench/peer_bench, which
// installs the package; with --skip-npm REASON the npm column is left out and the reason printed.
//
// Our request is two exchanges (a fresh challenge, then the command); the npm client asks for a challenge
// once and reuses it, one exchange a request. So the figures are printed per request and per exchange, and
// the two ratios at the end compare per exchange. Prints key=value lines; it never fails on time.

#include "BenchFigures.h"
#include "core/Clock.h"
#include "core/ErrorTrap.h"
#include "FloorClient.h"
#include "link/ConnectionFields.h"
#include "link/ProxySession.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"
#include "support/SimProcess.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdio>
#include <functional>
#include <vector>

using namespace spectrel;
using namespace spectrel::bench;

namespace {

constexpr int kWarmUp = 50;
constexpr int kRequests = 2000;
// The clients take turns in blocks, the order rotating each round, so that drift in the machine's speed
// falls on all alike.
constexpr int kBlock = 100;

// The npm client in its own node process. Each "run N" line makes it send N requests one after another and
// answer with one JSON line: the wall time of each request and the CPU of its whole process over the block.
class NpmRconClient {
public:
    bool start(const QString& node, const QString& script, const QString& modules, quint16 port)
    {
        m_process.setProgram(node);
        m_process.setArguments(
            {script, modules, QStringLiteral("127.0.0.1"), QString::number(port), QStringLiteral("demo")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000)) {
            m_error = m_process.errorString();
            return false;
        }
        const QByteArray line = readLine(10000);
        if (line != "ready") {
            m_error = line.isEmpty() ? QStringLiteral("no challenge within 10 s") : QString::fromUtf8(line);
            return false;
        }
        return true;
    }

    ~NpmRconClient()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel(); // it ends when its input does
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    QString errorText() const { return m_error; }

    void runBlock(int count, Series& series)
    {
        m_process.write("run " + QByteArray::number(count) + '\n');
        const QByteArray line = readLine(count * 2000 + 5000);
        const QJsonObject block = QJsonDocument::fromJson(line).object();
        const QJsonArray wall = block.value(QLatin1String("wall_ns")).toArray();
        if (wall.size() != count) {
            series.errors += count;
            return;
        }
        for (const QJsonValue& ns : wall)
            series.wallNs.push_back(std::int64_t(ns.toDouble()));
        const auto userNs = std::int64_t(block.value(QLatin1String("user_us")).toDouble() * 1000);
        const auto systemNs = std::int64_t(block.value(QLatin1String("system_us")).toDouble() * 1000);
        series.userNs += userNs;
        series.systemNs += systemNs;
        series.cpuNs += userNs + systemNs;
        series.errors += block.value(QLatin1String("errors")).toInt();
    }

private:
    QByteArray readLine(int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running && !deadline.hasExpired())
            m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
    }

    QProcess m_process;
    QString m_error;
};

int hundredTwipsEach(const QString& s)
{
    return int(s.size()) * 100;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption nodeOption(QStringLiteral("node"), QStringLiteral("The node program."),
                                        QStringLiteral("PATH"));
    const QCommandLineOption scriptOption(QStringLiteral("script"),
                                          QStringLiteral("The script that drives the npm client."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption modulesOption(QStringLiteral("modules"),
                                           QStringLiteral("The node_modules folder holding rcon."),
                                           QStringLiteral("PATH"));
    const QCommandLineOption skipOption(QStringLiteral("skip-npm"),
                                        QStringLiteral("Leave out the npm client, for REASON."),
                                        QStringLiteral("REASON"));
    parser.addOptions({nodeOption, scriptOption, modulesOption, skipOption});
    parser.addHelpOption();
    parser.process(app);
    QString skipReason = parser.value(skipOption);
    if (skipReason.isEmpty() &&
        (!parser.isSet(nodeOption) || !parser.isSet(scriptOption) || !parser.isSet(modulesOption)))
        skipReason =
            QStringLiteral("no node program, script and modules given (run it through bench/peer_bench)");

    SimProcess sim(SimProcess::Output::File);
    // A challenge that expires in the middle of the run would cost a request its whole time-out, and would
    // end the npm client's run: it asks for a challenge only once.
    if (!sim.start({QStringLiteral("--challenge-lifetime"), QStringLiteral("86400")})) {
        std::fprintf(stderr, "peer_bench: cannot start the simulator %s: %s\n",
                     qPrintable(SimProcess::program()), qPrintable(sim.errorText()));
        return 1;
    }

    ScriptedNotices notices;
    RecordingCues cues;
    FixedConnectionFields fields(QStringLiteral("127.0.0.1"), sim.portText(), QStringLiteral("demo"),
                                 notices);
    ErrorTrap trap([](const RuntimeFailure& f) {
        std::fprintf(stderr, "peer_bench: trapped failure: %s\n", qPrintable(f.description()));
    });
    ProxySession session{RconLink::Services{fields, notices, cues, trap, realClock()}, hundredTwipsEach};
    if (session.link().bindSocket(0) != RconLink::BindResult::Bound) {
        std::fprintf(stderr, "peer_bench: cannot bind the link's socket\n");
        return 1;
    }
    FloorClient floor(sim.port());
    if (!floor.valid()) {
        std::fprintf(stderr, "peer_bench: cannot open the floor's socket\n");
        return 1;
    }
    NpmRconClient npm;
    if (skipReason.isEmpty() && !npm.start(parser.value(nodeOption), parser.value(scriptOption),
                                           parser.value(modulesOption), sim.port()))
        skipReason = QStringLiteral("the npm client did not start: ") + npm.errorText();
    const bool withNpm = skipReason.isEmpty();

    const auto linkRequest = [&session] { return session.QueryStatus(); };
    const auto floorRequest = [&floor] { return floor.status(); };

    Series warmUp;
    runBlock(kWarmUp, warmUp, linkRequest);
    runBlock(kWarmUp, warmUp, floorRequest);
    if (withNpm)
        npm.runBlock(kWarmUp, warmUp);

    Series link;
    Series bare;
    Series peer;
    for (Series* series : {&link, &bare, &peer})
        series->wallNs.reserve(kRequests);
    std::vector<std::function<void()>> blocks = {
        [&] { runBlock(kBlock, link, linkRequest); },
        [&] { runBlock(kBlock, bare, floorRequest); },
    };
    if (withNpm)
        blocks.push_back([&] { npm.runBlock(kBlock, peer); });
    for (int round = 0; round < kRequests / kBlock; ++round) {
        for (std::size_t i = 0; i < blocks.size(); ++i)
            blocks[(std::size_t(round) + i) % blocks.size()]();
    }

    std::printf(
        "# %d status requests each after %d warm-up requests each; the clients take turns in blocks of "
        "%d (the order rotating each round) against one simulator on 127.0.0.1:%u\n",
        kRequests, kWarmUp, kBlock, unsigned(sim.port()));
    std::printf("# CPU is each client's own process: this one for link and floor, node for npm_rcon\n");
    std::printf(
        "# targets: ratio_p50_per_exchange_vs_npm_rcon <= 1.0, ratio_cpu_per_exchange_vs_npm_rcon <= 0.5\n");
    printSeries("link", link, 2);
    printSeries("floor", bare, 2);
    if (withNpm) {
        std::printf("# npm_rcon: the npm package rcon in node, UDP, one challenge for the whole run\n");
        printSeries("npm_rcon", peer, 1);
    } else {
        std::printf("# npm_rcon skipped: %s\n", qPrintable(skipReason));
    }
    printCount("warmup_errors", warmUp.errors);
    const long long clients = withNpm ? 3 : 2;
    printCount("sim_accepted_commands", sim.commands().size());
    printCount("sim_expected_commands", clients * (kWarmUp + kRequests));
    if (withNpm) {
        const double linkP50 = percentile(link.wallNs, 50) / 2;
        const double linkCpu = double(link.cpuNs) / double(link.wallNs.size()) / 2;
        const double peerP50 = percentile(peer.wallNs, 50);
        const double peerCpu = double(peer.cpuNs) / double(peer.wallNs.size());
        printFigure("ratio_p50_per_exchange_vs_npm_rcon", linkP50 / peerP50);
        printFigure("ratio_cpu_per_exchange_vs_npm_rcon", linkCpu / peerCpu);
    }
    return 0;
}
