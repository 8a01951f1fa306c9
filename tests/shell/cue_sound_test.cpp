// The start cue played for real: a PulseAudio server of the test's own with a null sink, the cue through the
// program's SoundEffectCues, and the sink's monitor recorded meanwhile. Skipped where no PulseAudio server
// can be started.

#include "shell/SoundEffectCues.h"

#include <QAudioSource>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
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
    qunsetenv("PULSE_SERVER");
    QProcess pulse;
    pulse.start(QStringLiteral("pulseaudio"),
                {"-n", "--daemonize=yes", "--exit-idle-time=-1", "--log-target=stderr",
                 "-L", "module-native-protocol-unix", "-L", "module-null-sink sink_name=cue_test"});
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
        // The devices come in as the server reports them.
        QAudioDevice monitor;
        const auto findMonitor = [&] {
            for (const QAudioDevice& d : QMediaDevices::audioInputs()) {
                if (d.id().contains("cue_test.monitor"))
                    monitor = d;
            }
            return !monitor.isNull();
        };
        QTRY_VERIFY2_WITH_TIMEOUT(findMonitor(), "no monitor of the null sink", 5000);
        QAudioFormat format;
        format.setSampleRate(8000);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        QAudioSource source(monitor, format);
        QBuffer recorded;
        recorded.open(QIODevice::WriteOnly);
        source.start(&recorded);

        SoundEffectCues cues;
        cues.preload();
        QTest::qWait(300);
        cues.PlayCue(CueStart);
        QTest::qWait(3500);
        source.stop();

        // The span from the first to the last sample that is not silence.
        const auto* samples = reinterpret_cast<const qint16*>(recorded.data().constData());
        const qsizetype count = recorded.data().size() / 2;
        qsizetype first = -1, last = -1;
        for (qsizetype i = 0; i < count; ++i) {
            if (std::abs(samples[i]) > 300) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        QVERIFY2(first >= 0, "nothing was heard");
        const double seconds = double(last - first) / format.sampleRate();
        qInfo("start cue heard for %.2f s", seconds);
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
