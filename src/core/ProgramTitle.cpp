#include "core/ProgramTitle.h"

namespace spectrel {

QString programVersion()
{
    return QStringLiteral("%1.%2.%3")
        .arg(SPECTREL_VERSION_MAJOR)
        .arg(SPECTREL_VERSION_MINOR)
        .arg(SPECTREL_VERSION_REVISION);
}

QString ProgramTitle()
{
    return applicationTitle() + QStringLiteral(" v") + programVersion();
}

} // namespace spectrel
