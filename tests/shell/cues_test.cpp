// The sound cues over Qt Multimedia: silent and quiet without a sound output, every sound loadable, a new cue
// cutting off the one before, a program that ends while a sound still loads, and the start cue heard for real
// through the program's sound module on a PulseAudio server of the test's own.
#include "shell/ModuleCues.h"
#include "shell/SoundEffectCues.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QProcess>
#include <QScopeGuard>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

using namespace spectrel;

namespace {

// SoundEffectCues as on a machine with a sound output, whatever this machine has: the effects are loaded and
// started, and report playing even where nothing can be heard.
class AudibleCues : public SoundEffectCues {
protected:
    bool hasAudioOutput() const override { return true; }
};

QStringList s_messages;
QtMessageHandler s_previous = nullptr;

void noteMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        s_messages.append(message);
    // Expected from AudibleCues on a machine without a sound output.
    if (message != QLatin1String("No audio device detected"))
        s_previous(type, context, message);
}

} // namespace

class CuesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        s_messages.clear();
        s_previous = qInstallMessageHandler(noteMessage);
    }
    void cleanup() { qInstallMessageHandler(s_previous); }

    // A machine without a sound output (a build server) hears nothing and the log stays clean. This must be
    // the first test to touch the audio service: the service is set up, and complains, only once per process.
    void silentWithoutOutput()
    {
        SoundEffectCues cues;
        cues.preload();
        for (int id : {100, 101, 102, 103, 104, 105, 101, 106})
            cues.PlayCue(id);
        QTest::qWait(100); // lets a sound load and reach the output, where a warning would come from
        QCOMPARE(s_messages, QStringList());
        QCOMPARE(cues.currentCue(), 0); // 106 has no sound and cut off 101
        if (QMediaDevices::defaultAudioOutput().isNull())
            QVERIFY(cues.findChildren<QSoundEffect*>().isEmpty());
    }

    // Every effect's address must reach a loadable sound: a wrong scheme or path would leave it in Error.
    void effectsLoad()
    {
        AudibleCues cues;
        cues.preload();
        QCOMPARE(cues.findChildren<QSoundEffect*>().size(), 5);
        QCOMPARE(cues.currentCue(), 0);
        for (int id = CueClick; id <= CueFinish; ++id) {
            QSoundEffect* effect = cues.effect(id);
            QVERIFY(effect && !effect->isPlaying());
            QTRY_VERIFY_WITH_TIMEOUT(effect->status() != QSoundEffect::Loading, 10000);
            QCOMPARE(effect->status(), QSoundEffect::Ready);
        }
    }

    void newCueCutsOff_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("current");
        QTest::newRow("start, then finish") << 104 << 105 << 105;
        QTest::newRow("failure, then failure again") << 102 << 102 << 102;
        QTest::newRow("start, then an id without sound") << 104 << 100 << 0;
    }
    void newCueCutsOff()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, current);
        AudibleCues cues;
        cues.PlayCue(first);
        QTRY_VERIFY_WITH_TIMEOUT(cues.effect(first)->status() == QSoundEffect::Ready, 10000);
        QVERIFY(cues.effect(first)->isPlaying()); // the long cues are still going
        cues.PlayCue(second);
        QCOMPARE(cues.currentCue(), current);
        for (QSoundEffect* effect : cues.findChildren<QSoundEffect*>())
            QCOMPARE(effect->isPlaying(), current != 0 && effect == cues.effect(current));
    }

    // The program may end right after a cue was asked for, while its sound still loads; it must still end.
    // Run in a child process (see main) because a hang happens in the clean-up after main returns.
    void endsWhileLoading()
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SPECTREL_CUES_CHILD"), QStringLiteral("end while loading"));
        child.setProcessEnvironment(environment);
        child.setStandardErrorFile(QProcess::nullDevice()); // a machine without sound says so
        child.start(QCoreApplication::applicationFilePath(), {});
        const bool ended = child.waitForFinished(60000);
        if (!ended)
            child.kill();
        QVERIFY2(ended, "the process hung on its way out");
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

    // A child process plays the start cue on a null sink of a PulseAudio server of the test's own while parec
    // records the sink's monitor (Qt lists no monitors among its inputs). Skipped where no server can start.
    void startCueSoundsForItsLength()
    {
        QTemporaryDir runtime;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("PULSE_SERVER"),
                           QStringLiteral("unix:") + runtime.path() + QStringLiteral("/pulse/native"));
        QProcess pulse;
        pulse.setProcessEnvironment(environment);
        pulse.start(QStringLiteral("pulseaudio"),
                    {"-n", "--daemonize=yes", "--exit-idle-time=-1", "--log-target=stderr", "-L",
                     "module-native-protocol-unix", "-L", "module-null-sink sink_name=cue_test"});
        if (!pulse.waitForFinished(10000) || pulse.exitCode() != 0)
            QSKIP(qPrintable(QStringLiteral("PulseAudio could not start: ") +
                             QString::fromLocal8Bit(pulse.readAllStandardError())));
        const auto stopPulse = qScopeGuard([&] {
            pulse.start(QStringLiteral("pulseaudio"), {"--kill"});
            pulse.waitForFinished(10000);
        });
        QProcess parec;
        parec.setProcessEnvironment(environment);
        parec.start(QStringLiteral("parec"), {"--device=cue_test.monitor", "--raw", "--format=s16le",
                                              "--rate=8000", "--channels=1", "--latency-msec=20"});
        if (!parec.waitForStarted(5000))
            QSKIP("parec (pulseaudio-utils) is not there to record the sink");
        constexpr int kRate = 8000;
        QVERIFY2(parec.waitForReadyRead(5000), "parec records nothing"); // the sink's silence, once it runs

        QProcess child;
        environment.insert(QStringLiteral("SPECTREL_CUES_CHILD"), QStringLiteral("play start"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY2(child.waitForFinished(30000) && child.exitCode() == 0, "the cue's process failed");
        parec.terminate();
        parec.waitForFinished(3000);
        const QByteArray recorded = parec.readAllStandardOutput();

        // The span from the first to the last sample that is not silence.
        const auto* samples = reinterpret_cast<const qint16*>(recorded.constData());
        const qsizetype count = recorded.size() / 2;
        qsizetype first = -1, last = -1;
        for (qsizetype i = 0; i < count; ++i) {
            if (std::abs(samples[i]) > 16) { // quieter than -66 dB counts as silence
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        QVERIFY2(first >= 0, "nothing was heard");
        const double seconds = double(last - first) / kRate;
        qInfo("start cue heard for %.2f s, from %.2f s of %.2f s recorded", seconds, double(first) / kRate,
              double(count) / kRate);
        QVERIFY2(seconds > 2.2 && seconds < 2.8, qPrintable(QString::number(seconds)));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString child = qEnvironmentVariable("SPECTREL_CUES_CHILD");
    if (child == u"end while loading") {
        AudibleCues cues;
        cues.preload();
        cues.PlayCue(CueFinish);
        return 0;
    }
    if (child == u"play start") {
        ModuleCues cues(QStringLiteral(SPECTREL_SOUND_MODULE_FILE)); // as the program plays them
        if (!cues.load())
            return 1;
        QTest::qWait(300);
        cues.PlayCue(CueStart);
        QTest::qWait(3500);
        return 0;
    }
    CuesTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "cues_test.moc"
