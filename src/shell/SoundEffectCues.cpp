#include "shell/SoundEffectCues.h"

#include <QAudioDevice> // before QMediaDevices: Qt 6.4 needs the complete type for QList<QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
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

} // namespace

SoundEffectCues::SoundEffectCues(QObject* parent) : QObject(parent) {}

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
