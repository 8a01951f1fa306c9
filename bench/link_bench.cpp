// How much the link costs over a bare UDP client: `status` requests through ProxySession against the
// simulator, next to a blocking POSIX socket doing the same two exchanges (challenge, then the command) as
// the floor, and the same exchanges on Qt's event loop as a yardstick. Prints key=value lines; it never fails
// on time.

#include "BenchFigures.h"
#include "core/Clock.h"
#include "core/ErrorTrap.h"
#include "FloorClient.h"
#include "link/ConnectionFields.h"
#include "link/ProxySession.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"
#include "support/SimProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>
#include <functional>
#include <vector>

using namespace spectrel;
using namespace spectrel::bench;

namespace {

constexpr int kWarmUp = 50;
constexpr int kRequests = 2000;
// The clients take turns in blocks, so that drift in the machine's speed (other load, clock scaling) falls
// on all alike; the order within a round rotates too.
constexpr int kBlock = 100;

// Not a target, a yardstick: the least a client on Qt's event loop does for the same exchanges (one socket,
// one nested loop per request, a time-out), so that the cost of the event loop itself can be told apart from
// the link's own.
class EventLoopClient : public QObject {
public:
    explicit EventLoopClient(quint16 port) : m_port(port)
    {
        m_socket.bind(QHostAddress::AnyIPv4, 0);
        m_timeout.setSingleShot(true);
        m_timeout.setInterval(2000);
        connect(&m_timeout, &QTimer::timeout, &m_loop, [this] { m_loop.exit(1); });
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] { readReplies(); });
    }

    bool status()
    {
        m_waitingForChallenge = true;
        m_timeout.start();
        send(QByteArrayLiteral("challenge rcon"));
        const bool ok = m_loop.exec() == 0;
        m_timeout.stop();
        return ok;
    }

private:
    void send(const QByteArray& text)
    {
        m_socket.writeDatagram(QByteArray("\xFF\xFF\xFF\xFF", 4) + text + QByteArray(1, '\0'),
                               QHostAddress::LocalHost, m_port);
    }
    void readReplies()
    {
        while (m_socket.hasPendingDatagrams()) {
            const QByteArray d = m_socket.receiveDatagram().data();
            if (!m_waitingForChallenge) {
                m_loop.exit(d.contains("--- HLTV Status ---") ? 0 : 1);
                continue;
            }
            const qsizetype at = d.indexOf("challenge rcon ");
            const qsizetype end = at < 0 ? -1 : d.indexOf('\n', at);
            if (end < 0) {
                m_loop.exit(1);
                continue;
            }
            m_waitingForChallenge = false;
            send("rcon " + d.mid(at + 15, end - at - 15) + " \"demo\" status");
        }
    }

    quint16 m_port;
    QUdpSocket m_socket;
    QEventLoop m_loop;
    QTimer m_timeout;
    bool m_waitingForChallenge = false;
};

int hundredTwipsEach(const QString& s)
{
    return int(s.size()) * 100;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    // The simulator writes into a file: a pipe would have to be drained by this measured process.
    SimProcess sim(SimProcess::Output::File);
    // A challenge that expires in the middle of the run would cost one request its whole time-out.
    if (!sim.start({QStringLiteral("--challenge-lifetime"), QStringLiteral("86400")})) {
        std::fprintf(stderr, "link_bench: cannot start the simulator %s: %s\n",
                     qPrintable(SimProcess::program()), qPrintable(sim.errorText()));
        return 1;
    }

    ScriptedNotices notices;
    RecordingCues cues;
    FixedConnectionFields fields(QStringLiteral("127.0.0.1"), sim.portText(), QStringLiteral("demo"),
                                 notices);
    ErrorTrap trap([](const RuntimeFailure& f) {
        std::fprintf(stderr, "link_bench: trapped failure: %s\n", qPrintable(f.description()));
    });
    ProxySession session{RconLink::Services{fields, notices, cues, trap, realClock()}, hundredTwipsEach};
    QObject::connect(&session, &ProxySession::programMustEnd,
                     [] { std::fprintf(stderr, "link_bench: the link asked to close the program\n"); });
    if (session.link().bindSocket(0) != RconLink::BindResult::Bound) {
        std::fprintf(stderr, "link_bench: cannot bind the link's socket\n");
        return 1;
    }
    FloorClient floor(sim.port());
    if (!floor.valid()) {
        std::fprintf(stderr, "link_bench: cannot open the floor's socket\n");
        return 1;
    }
    EventLoopClient qtLoop(sim.port());
    const auto linkRequest = [&session] { return session.QueryStatus(); };
    const auto floorRequest = [&floor] { return floor.status(); };
    const auto qtLoopRequest = [&qtLoop] { return qtLoop.status(); };

    Series warmUp;
    runBlock(kWarmUp, warmUp, linkRequest);
    runBlock(kWarmUp, warmUp, floorRequest);
    runBlock(kWarmUp, warmUp, qtLoopRequest);

    Series link;
    Series bare;
    Series loop;
    for (Series* series : {&link, &bare, &loop})
        series->wallNs.reserve(kRequests);
    const std::function<void()> blocks[] = {
        [&] { runBlock(kBlock, link, linkRequest); },
        [&] { runBlock(kBlock, bare, floorRequest); },
        [&] { runBlock(kBlock, loop, qtLoopRequest); },
    };
    for (int round = 0; round < kRequests / kBlock; ++round) {
        for (int i = 0; i < 3; ++i)
            blocks[(round + i) % 3]();
    }

    std::printf(
        "# %d status requests each after %d warm-up requests each; the clients take turns in blocks of %d "
        "(the order rotating each round) against one simulator on 127.0.0.1:%u\n",
        kRequests, kWarmUp, kBlock, unsigned(sim.port()));
    std::printf(
        "# targets: ratio_p50_vs_floor <= 1.3, ratio_cpu_vs_floor <= 2.0 (the link's p50 and CPU per request "
        "over the floor's, client process CPU only)\n");
    printSeries("link", link);
    printSeries("floor", bare);
    std::printf(
        "# qtloop: the same exchanges on Qt's event loop (QUdpSocket, QEventLoop, QTimer); a yardstick, "
        "not a target\n");
    printSeries("qtloop", loop);
    printCount("warmup_errors", warmUp.errors);
    printCount("sim_accepted_commands", sim.commands().size());
    printCount("sim_expected_commands", 3LL * (kWarmUp + kRequests));
    printFigure("ratio_p50_vs_qtloop", percentile(link.wallNs, 50) / percentile(loop.wallNs, 50));
    printFigure("ratio_cpu_vs_qtloop", double(link.cpuNs) / double(loop.cpuNs));
    printFigure("ratio_p50_vs_floor", percentile(link.wallNs, 50) / percentile(bare.wallNs, 50));
    printFigure("ratio_cpu_vs_floor", double(link.cpuNs) / double(bare.cpuNs));
    return 0;
}
