// The start cue played for real: a PulseAudio server of the test's own with a null sink, the cue through the
// program's SoundEffectCues, and the sink's monitor recorded meanwhile. Skipped where no PulseAudio server
// can be started.

#include "shell/SoundEffectCues.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

using namespace spectrel;

namespace {

QTemporaryDir* g_runtime = nullptr;
QString g_noServer; // why no server could be started

// Before the application exists, so that Qt Multimedia finds this server and no other.
void startPulseAudio()
{
    g_runtime = new QTemporaryDir;
    qputenv("XDG_RUNTIME_DIR", g_runtime->path().toLocal8Bit());
    qputenv("PULSE_SERVER", ("unix:" + g_runtime->path() + "/pulse/native").toLocal8Bit());
    QProcess pulse;
    pulse.start(QStringLiteral("pulseaudio"),
                {"-n", "--daemonize=yes", "--exit-idle-time=-1", "--log-target=stderr", "-L",
                 "module-native-protocol-unix", "-L", "module-null-sink sink_name=cue_test"});
    if (!pulse.waitForFinished(10000) || pulse.exitCode() != 0)
        g_noServer = QStringLiteral("PulseAudio could not start: ") +
                     QString::fromLocal8Bit(pulse.readAllStandardError());
}

void stopPulseAudio()
{
    QProcess::execute(QStringLiteral("pulseaudio"), {"--kill"});
    delete g_runtime;
}

} // namespace

class CueSoundTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startCueSoundsForItsLength()
    {
        if (!g_noServer.isEmpty())
            QSKIP(qPrintable(g_noServer));
        // Qt lists no monitors among its inputs: the sink's monitor is recorded with parec.
        QProcess parec;
        parec.start(QStringLiteral("parec"), {"--device=cue_test.monitor", "--raw", "--format=s16le",
                                              "--rate=8000", "--channels=1", "--latency-msec=20"});
        if (!parec.waitForStarted(5000))
            QSKIP("parec (pulseaudio-utils) is not there to record the sink");
        constexpr int kRate = 8000;

        QVERIFY2(parec.waitForReadyRead(5000), "parec records nothing"); // the sink's silence, once it runs
        SoundEffectCues cues;
        cues.preload();
        QTest::qWait(300);
        cues.PlayCue(CueStart);
        QTest::qWait(3500);
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
    startPulseAudio();
    int result = 0;
    {
        QCoreApplication app(argc, argv);
        CueSoundTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    stopPulseAudio();
    return result;
}

#include "cue_sound_test.moc"
