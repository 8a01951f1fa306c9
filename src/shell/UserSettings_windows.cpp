#include "shell/UserSettings.h"

#include "core/ProgramTitle.h"

namespace spectrel {

std::unique_ptr<IniSettingsStore> openUserSettings()
{
    // HKEY_CURRENT_USER\Software\<title>\Settings, string values; the registry itself ignores the case of
    // names.
    auto settings =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, applicationTitle());
    // Only the user's own branch: values from HKEY_LOCAL_MACHINE would survive deleting the settings.
    settings->setFallbacksEnabled(false);
    return std::make_unique<IniSettingsStore>(std::move(settings));
}

} // namespace spectrel
