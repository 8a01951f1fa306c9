#include "shell/SoundEffectCues.h"

#include <QAudioDevice> // before QMediaDevices: Qt 6.4 needs the complete type for QList<QAudioDevice>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

namespace spectrel {

namespace {

// Asking for the default output starts the platform's audio service; without a sound server that logs a
// warning that means nothing to the user of a program whose sounds are a courtesy. The filter is in place
// only for the duration of the question, on the thread that asks it.
QtMessageHandler g_previousHandler = nullptr;

void quietAudioProbe(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("PulseAudioService:")))
        return;
    g_previousHandler(type, context, message);
}

bool defaultOutputPresent()
{
    g_previousHandler = qInstallMessageHandler(quietAudioProbe);
    const bool present = !QMediaDevices::defaultAudioOutput().isNull();
    qInstallMessageHandler(g_previousHandler);
    return present;
}

const int cueIds[] = {CueClick, CueFailure, CueHotkey, CueStart, CueFinish};

// The effect learns that its sound is loaded through a queued call from Qt's loading thread, addressed to the
// effect or an object inside it. Delivering only those leaves the rest of the program's events alone.
void deliverLoadNotices(QSoundEffect* effect)
{
    QCoreApplication::sendPostedEvents(effect, QEvent::MetaCall);
    const auto parts = effect->findChildren<QObject*>();
    for (QObject* part : parts)
        QCoreApplication::sendPostedEvents(part, QEvent::MetaCall);
}

} // namespace

SoundEffectCues::SoundEffectCues(QObject* parent) : QObject(parent) {}

// Qt 6.4 keeps loading a sound whose effect is gone, and when the program ends during such a load, the sound
// cache that Qt tears down at exit waits for its loading thread while holding the lock that thread needs: the
// process hangs. So the loads still running are seen through here, for a few seconds at most.
SoundEffectCues::~SoundEffectCues()
{
    const QDeadlineTimer deadline(3000);
    for (QSoundEffect* effect : std::as_const(m_effects)) {
        while (effect->status() == QSoundEffect::Loading && !deadline.hasExpired()) {
            deliverLoadNotices(effect);
            if (effect->status() == QSoundEffect::Loading)
                QThread::msleep(1);
        }
    }
}

QString SoundEffectCues::cueResource(int id)
{
    return QStringLiteral(":/resources/cue%1.wav").arg(id);
}

bool SoundEffectCues::hasAudioOutput() const
{
    return defaultOutputPresent();
}

QSoundEffect* SoundEffectCues::effectFor(int id)
{
    if (QSoundEffect* loaded = m_effects.value(id))
        return loaded;
    const QString resource = cueResource(id);
    if (!QFile::exists(resource))
        return nullptr;
    auto* effect = new QSoundEffect(this);
    effect->setSource(QUrl(QStringLiteral("qrc") + resource));
    m_effects.insert(id, effect);
    return effect;
}

void SoundEffectCues::preload()
{
    if (!hasAudioOutput())
        return;
    for (int id : cueIds)
        effectFor(id);
}

void SoundEffectCues::PlayCue(int id)
{
    if (m_current)
        m_current->stop();
    m_current = nullptr;
    m_currentId = 0;

    if (!QFile::exists(cueResource(id)) || !hasAudioOutput())
        return;
    QSoundEffect* effect = effectFor(id);
    // A sound still loading starts as soon as it is ready.
    effect->play();
    m_current = effect;
    m_currentId = id;
}

} // namespace spectrel
