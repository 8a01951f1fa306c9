#include "shell/UserSettings.h"

#include "core/ProgramTitle.h"

namespace spectrel {

std::unique_ptr<IniSettingsStore> openUserSettings()
{
    auto settings =
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, applicationTitle());
    // Only the user's own file: values from a system-wide file would survive deleting the settings.
    settings->setFallbacksEnabled(false);
    return std::make_unique<IniSettingsStore>(std::move(settings));
}

} // namespace spectrel
