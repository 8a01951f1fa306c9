#include "shell/ModuleCues.h"

#include "core/Logging.h"
#include "shell/ProgramModules.h"
#include "shell/SoundModule.h"

namespace spectrel {

ModuleCues::ModuleCues(QString modulePath) : m_path(std::move(modulePath)) {}

ModuleCues::~ModuleCues() = default;

QString ModuleCues::installedModulePath()
{
    return programModulePath(QStringLiteral("spectrel-sound"));
}

bool ModuleCues::load()
{
    if (m_tried)
        return m_cues != nullptr;
    m_tried = true;
    const auto create = reinterpret_cast<SoundModuleEntry>(moduleEntry(m_path, kSoundModuleEntry));
    if (!create)
        return false; // the program stays silent
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
