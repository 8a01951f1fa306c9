#pragma once

#include "shell/IniSettingsStore.h"

#include <memory>

namespace spectrel {

// The current user's settings under the application title: on Linux the INI file
// "$XDG_CONFIG_HOME/Spectrel by Zovan.ini" (default ~/.config), on Windows the user's registry branch.
std::unique_ptr<IniSettingsStore> openUserSettings();

} // namespace spectrel
