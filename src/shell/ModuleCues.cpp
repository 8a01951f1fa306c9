#include "shell/ModuleCues.h"

#include "core/Logging.h"
#include "shell/SoundModule.h"

#include <QCoreApplication>
#include <QLibrary>

namespace spectrel {

ModuleCues::ModuleCues(QString modulePath) : m_path(std::move(modulePath)) {}

ModuleCues::~ModuleCues() = default;

QString ModuleCues::installedModulePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" SPECTREL_SOUND_MODULE);
}

bool ModuleCues::load()
{
    if (m_tried)
        return m_cues != nullptr;
    m_tried = true;
    QLibrary module(m_path);
    const auto create = reinterpret_cast<SoundModuleEntry>(module.resolve(kSoundModuleEntry));
    if (!create) {
        qCWarning(lcShell).noquote() << "no sound cues:" << module.errorString();
        return false;
    }
    m_cues.reset(create());
    qCInfo(lcShell).noquote() << "sound cues loaded from" << m_path;
    return true;
}

void ModuleCues::PlayCue(int id)
{
    if (load())
        m_cues->PlayCue(id);
}

} // namespace spectrel
