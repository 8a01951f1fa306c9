#include "web/UpdateCheck.h"

#include "core/Notices.h"
#include "core/ProgramTitle.h"
#include "core/SettingsKeys.h"
#include "text/TextRules.h"
#include "web/AddressOpener.h"
#include "web/InputHold.h"
#include "web/TextDownload.h"
#include "web/UpdateFile.h"

#include <QEventLoop>

#include <optional>

namespace spectrel {

namespace {

// The download page's address as the update file gives it, without scheme ("http://" is put before it), or,
// as a packager may set it, with http or https.
QString downloadPage(const QString& home)
{
    if (home.startsWith(u"http://", Qt::CaseInsensitive) || home.startsWith(u"https://", Qt::CaseInsensitive))
        return home;
    return QStringLiteral("http://") + home;
}

} // namespace

UpdateCheck::UpdateCheck(TextDownload& download, SettingsStore& settings, Notices& notices,
                         AddressOpener& opener, const WebAddresses& addresses, QObject* parent)
    : QObject(parent), m_download(download), m_settings(settings), m_notices(notices), m_opener(opener),
      m_addresses(addresses)
{
}

bool UpdateCheck::CheckForUpdates(bool manual)
{
    if (m_cancelled)
        return false;
    const QString body = m_download.DownloadText(m_addresses.updateFile);
    if (m_cancelled)
        return false;
    const std::optional<update::UpdateFile> file = update::readUpdateFile(body);
    if (!file)
        return false;

    RuntimeDefaults defaults;
    defaults.home = m_addresses.home;
    if (!text::equalNoCase(readText(m_settings, SettingKey::Home, defaults), file->home))
        writeText(m_settings, SettingKey::Home, file->home);

    const QString kind = QStringLiteral("Update check");
    if (file->release < update::kNewerFrom) {
        if (manual)
            m_notices.ShowNotice(QStringLiteral("This is the latest version of ") + applicationTitle(),
                                 NoticeInformation, kind);
        return true;
    }
    const int answer = m_notices.ShowNotice(QStringLiteral("New version of ") + applicationTitle() +
                                                QStringLiteral(" is available for download\r\n"
                                                               "Would you like to download it now?"),
                                            NoticeYesNo, kind);
    if (answer != AnswerYes || m_cancelled)
        return true;
    if (!launch(downloadPage(file->home)) && !m_cancelled)
        // Without the three trailing blanks the other notices have: this one has always been written so.
        m_notices.ShowNotice(QStringLiteral("Launching default web browser program failed"), NoticeWarning,
                             QStringLiteral("Warning"));
    Q_EMIT programMustEnd();
    return true;
}

bool UpdateCheck::launch(const QString& address)
{
    // The program ends right after: nothing more is taken from the user meanwhile.
    const InputHold hold;
    QEventLoop loop;
    std::optional<bool> launched;
    m_opener.open(address, &loop, [&](bool ok) {
        launched = ok;
        loop.quit();
    });
    m_waiting = &loop;
    loop.exec();
    m_waiting = nullptr;
    return launched.value_or(false);
}

void UpdateCheck::cancel()
{
    m_cancelled = true;
    m_download.abort();
    if (m_waiting)
        m_waiting->quit();
}

} // namespace spectrel
