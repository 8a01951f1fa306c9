#pragma once

#include <QString>
#include <QtGlobal>

namespace spectrel {

// The program's modules: libraries of its own (the sounds, the download) that bring large libraries under
// them, which the program loads only when it first needs them, so that its window is not kept waiting.

// Where the module `name` (without prefix or suffix: "spectrel-sound") is installed: beside the program's
// folder, in the build tree too.
QString programModulePath(const QString& name);

// The function `entry` of the module at `path`, loading the module (which then stays loaded until the process
// ends); null, with one warning in the log, when the module or the function cannot be found.
QFunctionPointer moduleEntry(const QString& path, const char* entry);

} // namespace spectrel
