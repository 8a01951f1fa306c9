#include "shell/SoundEffectCues.h"
#include "support/RecordingCues.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QSoundEffect>
#include <QtEndian>
#include <QTest>

using namespace spectrel;

namespace {

// SoundEffectCues as on a machine with a sound output, whatever this machine has: the effects are loaded and
// started, and report playing even where nothing can be heard.
class AudibleCues : public SoundEffectCues {
protected:
    bool hasAudioOutput() const override { return true; }
};

struct WaveInfo {
    QString error;
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    qint64 dataBytes = -1;
};

quint32 le32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
quint16 le16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// Walks the RIFF chunks rather than assuming the 44-byte canonical header.
WaveInfo readWave(const QByteArray& bytes)
{
    WaveInfo info;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        info.error = QStringLiteral("not RIFF/WAVE");
        return info;
    }
    if (le32(bytes, 4) != quint32(bytes.size() - 8)) {
        info.error =
            QStringLiteral("RIFF size %1 for a file of %2 bytes").arg(le32(bytes, 4)).arg(bytes.size());
        return info;
    }
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = le32(bytes, at + 4);
        if (at + 8 + size > bytes.size()) {
            info.error = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return info;
        }
        if (id == "fmt " && size >= 16) {
            info.format = le16(bytes, at + 8);
            info.channels = le16(bytes, at + 10);
            info.sampleRate = int(le32(bytes, at + 12));
            info.blockAlign = le16(bytes, at + 20);
            info.bitsPerSample = le16(bytes, at + 22);
        } else if (id == "data") {
            info.dataBytes = size;
        }
        at += 8 + size + (size & 1);
    }
    if (info.format == 0 || info.dataBytes < 0)
        info.error = QStringLiteral("fmt or data chunk missing");
    return info;
}

} // namespace

class CuesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sounds_data();
    void sounds();
    void noSoundForId();
    void silentWithoutOutput();
    void effectsLoad();
    void newCueCutsOff_data();
    void newCueCutsOff();
    void preload();
    void endsWhileLoading();
    void recordingCues();

private:
    static void noteMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static inline QStringList s_messages;
    static inline QtMessageHandler s_previous = nullptr;
};

void CuesTest::noteMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        s_messages.append(message);
    // Expected from AudibleCues on a machine without a sound output.
    if (message == QLatin1String("No audio device detected"))
        return;
    s_previous(type, context, message);
}

void CuesTest::init()
{
    s_messages.clear();
    s_previous = qInstallMessageHandler(noteMessage);
}

void CuesTest::cleanup()
{
    qInstallMessageHandler(s_previous);
}

void CuesTest::sounds_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<double>("seconds");

    QTest::newRow("101 click") << 101 << 0.2;
    QTest::newRow("102 failure") << 102 << 0.74;
    QTest::newRow("103 hotkey") << 103 << 0.29;
    QTest::newRow("104 start") << 104 << 2.5;
    QTest::newRow("105 finish") << 105 << 3.6;
}

// The sounds are found through the link chain of spectrel_desktop_services alone: this test does not link the
// resource library itself.
void CuesTest::sounds()
{
    QFETCH(int, id);
    QFETCH(double, seconds);

    QFile file(SoundEffectCues::cueResource(id));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const WaveInfo wave = readWave(file.readAll());
    QVERIFY2(wave.error.isEmpty(), qPrintable(wave.error));
    QCOMPARE(wave.format, 1); // uncompressed PCM
    QCOMPARE(wave.channels, 1);
    QVERIFY(wave.bitsPerSample == 8 || wave.bitsPerSample == 16);
    QCOMPARE(wave.blockAlign, wave.bitsPerSample / 8);
    QVERIFY(wave.sampleRate >= 8000 && wave.sampleRate <= 48000);
    const double length = double(wave.dataBytes) / wave.blockAlign / wave.sampleRate;
    QVERIFY2(length >= seconds * 0.85 && length <= seconds * 1.15,
             qPrintable(QStringLiteral("%1 s instead of about %2 s").arg(length).arg(seconds)));
}

void CuesTest::noSoundForId()
{
    AudibleCues cues;
    cues.PlayCue(100);
    QCOMPARE(cues.currentCue(), 0);
    QCOMPARE(cues.effect(100), nullptr);
    QVERIFY(!QFile::exists(SoundEffectCues::cueResource(100)));
    QVERIFY(cues.findChildren<QSoundEffect*>().isEmpty());
}

// A machine without a sound output (a build server) hears nothing and the log stays clean. This must be the
// first test to touch the audio service: the service is set up, and complains, only once per process.
void CuesTest::silentWithoutOutput()
{
    SoundEffectCues cues;
    for (int id : {100, 101, 102, 103, 104, 105, 101, 106})
        cues.PlayCue(id);
    QTest::qWait(100); // lets a sound load and reach the output, where a warning would come from
    QCOMPARE(s_messages, QStringList());
    QCOMPARE(cues.currentCue(), 0); // 106 has no sound and cut off 101
    if (QMediaDevices::defaultAudioOutput().isNull())
        QVERIFY(cues.findChildren<QSoundEffect*>().isEmpty());
}

// The URL of each effect must reach a loadable sound: a wrong scheme or path would leave it in Error.
void CuesTest::effectsLoad()
{
    AudibleCues cues;
    for (int id = CueClick; id <= CueFinish; ++id) {
        cues.PlayCue(id);
        QSoundEffect* effect = cues.effect(id);
        QVERIFY(effect);
        QCOMPARE(effect->source(), QUrl(QStringLiteral("qrc:/resources/cue%1.wav").arg(id)));
        QTRY_VERIFY_WITH_TIMEOUT(effect->status() != QSoundEffect::Loading, 10000);
        QCOMPARE(effect->status(), QSoundEffect::Ready);
    }
}

void CuesTest::newCueCutsOff_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("current");

    QTest::newRow("start, then finish") << 104 << 105 << 105;
    QTest::newRow("finish, then click") << 105 << 101 << 101;
    QTest::newRow("failure, then failure again") << 102 << 102 << 102;
    QTest::newRow("start, then an id without sound") << 104 << 100 << 0;
}

void CuesTest::newCueCutsOff()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, current);

    AudibleCues cues;
    cues.PlayCue(first);
    QCOMPARE(cues.currentCue(), first);
    QVERIFY(cues.effect(first)->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(cues.effect(first)->status() == QSoundEffect::Ready, 10000);
    QVERIFY(cues.effect(first)->isPlaying()); // the long cues are still going

    cues.PlayCue(second);
    QCOMPARE(cues.currentCue(), current);
    const auto effects = cues.findChildren<QSoundEffect*>();
    for (QSoundEffect* effect : effects) {
        const bool isCurrent = current != 0 && effect == cues.effect(current);
        QCOMPARE(effect->isPlaying(), isCurrent);
    }
}

void CuesTest::preload()
{
    AudibleCues audible;
    audible.preload();
    QCOMPARE(audible.findChildren<QSoundEffect*>().size(), 5);
    QCOMPARE(audible.currentCue(), 0);
    for (int id = CueClick; id <= CueFinish; ++id) {
        QVERIFY(audible.effect(id));
        QVERIFY(!audible.effect(id)->isPlaying());
    }

    if (!QMediaDevices::defaultAudioOutput().isNull())
        return;
    SoundEffectCues silent;
    silent.preload();
    QVERIFY(silent.findChildren<QSoundEffect*>().isEmpty());
}

// The program may end right after a cue has been asked for, while its sound is still loading; it must still
// end. Run in a child process (see main) because a hang happens in the clean-up after main returns.
void CuesTest::endsWhileLoading()
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SPECTREL_CUES_END_WHILE_LOADING"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setStandardErrorFile(QProcess::nullDevice()); // a machine without sound says so
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    const bool ended = child.waitForFinished(60000);
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    QVERIFY2(ended, "the process hung on its way out");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
}

void CuesTest::recordingCues()
{
    RecordingCues cues;
    Cues& asCues = cues;
    asCues.PlayCue(CueFailure);
    asCues.PlayCue(100);
    QCOMPARE(cues.played(), QList<int>({102, 100}));
    QCOMPARE(cues.last(), 100);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("SPECTREL_CUES_END_WHILE_LOADING")) {
        QCoreApplication app(argc, argv);
        AudibleCues cues;
        cues.preload();
        cues.PlayCue(CueFinish);
        return 0;
    }
    QCoreApplication app(argc, argv);
    CuesTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "cues_test.moc"
