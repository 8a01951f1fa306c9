#include "web/QuickLinks.h"

#include "core/Notices.h"
#include "web/AddressOpener.h"

#include <array>

namespace spectrel {

namespace {

constexpr std::array<const char*, 7> kChannels{"fw", "pcw", "esl.match", "5on5", "4on4", "3on3", "hltv"};

const QString kBrowserFailed = QStringLiteral("Launching default web browser program failed   ");

} // namespace

void QuickLinks::lIRCLinks_Click(int index)
{
    if (index >= 0 && index < int(kChannels.size()))
        launch(QStringLiteral("irc:///") + QString::fromLatin1(kChannels[std::size_t(index)]),
               QStringLiteral("Launching default IRC program failed   "));
}

void QuickLinks::lWWWLink_Click(int index)
{
    if (index == 0 || index == 1)
        launch(index == 0 ? m_addresses.homepage : m_addresses.team, kBrowserFailed);
}

void QuickLinks::BannerLink_Click()
{
    launch(m_addresses.banner, kBrowserFailed);
}

void QuickLinks::launch(const QString& address, const QString& failure)
{
    m_opener.open(address, &m_alive, [this, failure](bool launched) {
        if (!launched)
            m_notices.ShowNotice(failure, NoticeWarning, QStringLiteral("Warning"));
    });
}

} // namespace spectrel
