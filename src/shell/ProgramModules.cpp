#include "shell/ProgramModules.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QLibrary>

namespace spectrel {

QString programModulePath(const QString& name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" SPECTREL_MODULE_DIR "/") + name +
           QStringLiteral(SPECTREL_MODULE_SUFFIX);
}

QFunctionPointer moduleEntry(const QString& path, const char* entry)
{
    QLibrary module(path);
    const QFunctionPointer found = module.resolve(entry);
    if (!found)
        qCWarning(lcShell).noquote() << "cannot load" << path << ":" << module.errorString();
    return found;
}

} // namespace spectrel
