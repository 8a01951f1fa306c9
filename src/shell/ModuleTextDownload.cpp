#include "shell/ModuleTextDownload.h"

#include "shell/ProgramModules.h"
#include "web/DownloadModule.h"

namespace spectrel {

ModuleTextDownload::ModuleTextDownload(Clock& clock, QString modulePath)
    : m_clock(clock), m_path(std::move(modulePath))
{
}

ModuleTextDownload::~ModuleTextDownload() = default;

QString ModuleTextDownload::installedModulePath()
{
    return programModulePath(QStringLiteral("spectrel-download"));
}

QString ModuleTextDownload::DownloadText(const QString& address)
{
    if (!m_tried) {
        m_tried = true;
        if (const auto create =
                reinterpret_cast<DownloadModuleEntry>(moduleEntry(m_path, kDownloadModuleEntry)))
            m_download.reset(create(m_clock));
    }
    return m_download ? m_download->DownloadText(address) : QString();
}

void ModuleTextDownload::abort()
{
    if (m_download)
        m_download->abort();
}

} // namespace spectrel
