#include "web/UpdateCheck.h"

#include "core/Notices.h"
#include "core/ProgramTitle.h"
#include "core/SettingsKeys.h"
#include "text/TextRules.h"
#include "web/AddressOpener.h"
#include "web/TextDownload.h"
#include "web/UpdateFile.h"

namespace spectrel {

UpdateCheck::Addresses UpdateCheck::builtIn()
{
    return {QStringLiteral("http://www.spectrel.invalid/data.txt"),
            QStringLiteral("www.spectrel.invalid/download")};
}

UpdateCheck::UpdateCheck(TextDownload& download, SettingsStore& settings, Notices& notices,
                         AddressOpener& opener, Addresses addresses, QObject* parent)
    : QObject(parent), m_download(download), m_settings(settings), m_notices(notices), m_opener(opener),
      m_addresses(std::move(addresses))
{
}

std::uint8_t UpdateCheck::CheckForUpdates(std::uint8_t manual)
{
    const std::optional<update::UpdateFile> file =
        update::readUpdateFile(m_download.DownloadText(m_addresses.updateFile));
    if (!file)
        return 0;

    RuntimeDefaults defaults;
    defaults.home = m_addresses.home;
    if (!text::equalNoCase(readText(m_settings, SettingKey::Home, defaults), file->home))
        writeText(m_settings, SettingKey::Home, file->home);

    const QString kind = QStringLiteral("Update check");
    if (file->release < update::kNewerFrom) {
        if (manual == 1)
            m_notices.ShowNotice(QStringLiteral("This is the latest version of ") + applicationTitle(),
                                 NoticeInformation, kind);
        return 1;
    }
    const int answer = m_notices.ShowNotice(QStringLiteral("New version of ") + applicationTitle() +
                                                QStringLiteral(" is available for download\r\n"
                                                               "Would you like to download it now?"),
                                            NoticeYesNo, kind);
    if (answer != AnswerYes)
        return 1;
    if (!m_opener.open(QStringLiteral("http://") + file->home))
        m_notices.ShowNotice(QStringLiteral("Launching default web browser program failed"), NoticeWarning,
                             QStringLiteral("Warning"));
    Q_EMIT programMustEnd();
    return 1;
}

} // namespace spectrel
