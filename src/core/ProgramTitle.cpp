#include "core/ProgramTitle.h"

namespace spectrel {

QString ProgramTitle()
{
    return applicationTitle() + QStringLiteral(" v%1.%2.%3")
                                    .arg(SPECTREL_VERSION_MAJOR)
                                    .arg(SPECTREL_VERSION_MINOR)
                                    .arg(SPECTREL_VERSION_REVISION);
}

} // namespace spectrel
