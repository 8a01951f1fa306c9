// spectrelctl as a script runs it: against the simulator on loopback, its exit status (0 done, 1 refused or
// failed, 2 bad usage), what reaches the proxy, and what a script reads on standard error.
#include "support/SimProcess.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <QUdpSocket>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString program(const char* variable)
{
    return qEnvironmentVariable(variable);
}

Run run(const QString& executable, const QStringList& args, int ms = 20000)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"QT_LOGGING_RULES"_s);
    p.setProcessEnvironment(env);
    p.start(executable, args);
    Run r;
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

Run ctl(const SimProcess& sim, const QStringList& args)
{
    return run(program("SPECTRELCTL"), QStringList{u"--host"_s, u"127.0.0.1"_s, u"--port"_s, sim.portText(),
                                                   u"--password"_s, u"demo"_s} +
                                           args);
}

// Lines a script did not ask for: the program's log.
bool hasLogLines(const QByteArray& err)
{
    for (const QByteArray& line : err.split('\n')) {
        if (line.startsWith("spectrel."))
            return true;
    }
    return false;
}

} // namespace

class SpectrelctlTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("sent");    // what the proxy saw; empty: nothing but status
        QTest::addColumn<QByteArray>("said"); // on standard output, or on standard error when it fails
        const QStringList recording{u"--recording"_s, u"Old-Demo"_s};
        QTest::newRow("status") << QStringList() << QStringList{u"status"_s} << 0 << QString()
                                << QByteArray("Demo status:    (not recording)");
        QTest::newRow("say") << QStringList() << QStringList{u"say"_s, u"Hello"_s, u"spectators"_s} << 0
                             << u"say Hello spectators"_s << QByteArray();
        QTest::newRow("record by clans")
            << QStringList() << QStringList{u"record"_s, u"--own"_s, u"A"_s, u"--opponent"_s, u"B"_s} << 0
            << u"record \"A-B\""_s << QByteArray();
        QTest::newRow("record NAME") << QStringList() << QStringList{u"record"_s, u"Final-1"_s} << 0
                                     << u"record \"Final-1\""_s << QByteArray();
        QTest::newRow("record while recording") << recording << QStringList{u"record"_s, u"A-B"_s} << 1
                                                << QString() << QByteArray("already recording");
        QTest::newRow("record without game server")
            << QStringList{u"--no-game-server"_s} << QStringList{u"record"_s, u"A-B"_s} << 1 << QString()
            << QByteArray("HLTV proxy offline or not connected to game server");
        QTest::newRow("stop") << recording << QStringList{u"stop"_s} << 0 << u"stoprecording"_s
                              << QByteArray();
        QTest::newRow("stop with nothing recorded")
            << QStringList() << QStringList{u"stop"_s} << 0 << QString() << QByteArray();
        QTest::newRow("silent proxy") << QStringList{u"--silent"_s} << QStringList{u"status"_s} << 1
                                      << QString() << QByteArray("spectrelctl: status ended in error");
        // Bad usage ends before anything is sent.
        QTest::newRow("NAME with a slash") << QStringList() << QStringList{u"record"_s, u"A/B-C"_s} << 2
                                           << QString() << QByteArray("NAME holds \"/\"");
        QTest::newRow("NAME too long") << QStringList() << QStringList{u"record"_s, QString(92, u'x')} << 2
                                       << QString() << QByteArray("NAME holds more than 91 characters");
        QTest::newRow("blank NAME") << QStringList() << QStringList{u"record"_s, u"  "_s} << 2 << QString()
                                    << QByteArray("NAME needs a clan name");
        QTest::newRow("opponent with a colon")
            << QStringList() << QStringList{u"record"_s, u"--own"_s, u"A"_s, u"--opponent"_s, u"B:C"_s} << 2
            << QString() << QByteArray("--opponent holds \":\"");
        QTest::newRow("unknown command")
            << QStringList() << QStringList{u"pause"_s} << 2 << QString() << QByteArray("unknown command");
        QTest::newRow("trigger without an action") << QStringList() << QStringList{u"trigger"_s} << 2
                                                   << QString() << QByteArray("trigger takes record or stop");
        QTest::newRow("trigger with more words")
            << QStringList() << QStringList{u"trigger"_s, u"stop"_s, u"now"_s} << 2 << QString()
            << QByteArray("trigger takes record or stop");
    }
    void commands()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, sent);
        QFETCH(QByteArray, said);
        SimProcess sim;
        QVERIFY2(sim.start(simArgs), qPrintable(sim.errorText()));
        const Run r = ctl(sim, args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? r.out : r.err).contains(said), r.out + r.err);
        QVERIFY2(!hasLogLines(r.err), r.err);
        const QStringList seen = sim.waitForCommands(1, exitCode == 2 ? 300 : 3000);
        if (exitCode == 2)
            QCOMPARE(seen, QStringList());
        else if (!sent.isEmpty())
            QVERIFY2(sim.waitForCommands(int(seen.size()) + 3, 500).contains(sent),
                     qPrintable(sim.commands().join(u',')));
        else
            QCOMPARE(
                sim.waitForCommands(int(seen.size()) + 3, 500).filter(QRegularExpression(u"^(?!status$)"_s)),
                QStringList());
    }

    void statusAsJson()
    {
        SimProcess sim;
        QVERIFY(sim.start({u"--recording"_s, u"Old-Demo"_s, u"--spectators"_s, u"3"_s}));
        const Run r = ctl(sim, {u"--json"_s, u"status"_s});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value(u"ok"_s).toBool(), true);
        QCOMPARE(o.value(u"spectators"_s).toInt(), 3);
        QVERIFY2(o.value(u"demoStatus"_s).toString().startsWith(u"Recording Old-Demo"), r.out);
    }

    // Nobody listens on the port: the refusals come back, and only the reason reaches standard error.
    void refusedDatagramsGiveOnlyTheReason()
    {
        QUdpSocket closed;
        QVERIFY(closed.bind(QHostAddress::LocalHost, 0));
        const QString port = QString::number(closed.localPort());
        closed.close();
        const Run r = run(program("SPECTRELCTL"), {u"--host"_s, u"127.0.0.1"_s, u"--port"_s, port,
                                                   u"--password"_s, u"demo"_s, u"status"_s});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(!r.err.isEmpty() && !hasLogLines(r.err), r.err);
    }

    void localPortThatCannotBeBound_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("in use") << true << QByteArray("are in use");
        QTest::newRow("no permission") << false << QByteArray("Cannot use local UDP port 80: ");
    }
    void localPortThatCannotBeBound()
    {
        QFETCH(bool, inUse);
        QFETCH(QByteArray, reason);
        SimProcess sim;
        QVERIFY(sim.start());
        QUdpSocket holder;
        QStringList command{program("SPECTRELCTL")};
        QString port = u"80"_s;
        if (inUse) {
            QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
            port = QString::number(holder.localPort());
        } else if (::geteuid() == 0) {
            // As an ordinary user: root may bind any port.
            command = QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s} + command;
        }
        command += {u"--host"_s, u"127.0.0.1"_s,    u"--port"_s, sim.portText(), u"--password"_s,
                    u"demo"_s,   u"--local-port"_s, port,        u"status"_s};
        const Run r = command.first() == program("SPECTRELCTL") ? run(command.first(), command.mid(1))
                                                                : run(u"setpriv"_s, command);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(reason), r.err);
        QCOMPARE(sim.waitForCommands(1, 300), QStringList());
    }

    // A name server that never answers: the request ends at its time-out, and so does the program, whatever
    // the lookup still waits for. In namespaces of the test's own, with the simulator as a silent server on
    // the name server's port.
    void lookupThatNeverAnswers()
    {
        if (QProcess::execute(u"unshare"_s, {u"-rn"_s, u"true"_s}) != 0)
            QSKIP("cannot make a network namespace here");
        QTemporaryDir dir;
        const QString script = uR"(set -e
ip link set lo up
printf 'nameserver 127.0.0.1\noptions timeout:30 attempts:1\n' > "$DIR/resolv.conf"
mount --bind "$DIR/resolv.conf" /etc/resolv.conf
"$SIM" --port 53 --silent --no-stdin > "$DIR/sim.out" 2>/dev/null &
for i in $(seq 50); do grep -q listening "$DIR/sim.out" && break; sleep 0.1; done
grep -q listening "$DIR/sim.out"
set +e
"$CTL" --host spectrel-lookup.invalid --port 27020 --password demo status
echo "exit=$?"
)"_s;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DIR"_s, dir.path());
        env.insert(u"SIM"_s, SimProcess::program());
        env.insert(u"CTL"_s, program("SPECTRELCTL"));
        p.setProcessEnvironment(env);
        QElapsedTimer elapsed;
        elapsed.start();
        p.start(u"unshare"_s, {u"-rnmpf"_s, u"--mount-proc"_s, u"sh"_s, u"-c"_s, script});
        QVERIFY(p.waitForFinished(40000));
        const QByteArray said = p.readAllStandardOutput() + p.readAllStandardError();
        QVERIFY2(said.contains("No internet connection or HLTV server not running"), said);
        QVERIFY2(said.contains("exit=1"), said);
        QVERIFY2(elapsed.elapsed() < 15000, qPrintable(u"ended after %1 ms"_s.arg(elapsed.elapsed())));
    }
};

QTEST_GUILESS_MAIN(SpectrelctlTest)
#include "spectrelctl_test.moc"
