#include "web/QuickLinks.h"

#include "core/Notices.h"
#include "web/AddressOpener.h"

#include <array>

namespace spectrel {

namespace {

constexpr std::array<const char*, 7> kChannels{"fw", "pcw", "esl.match", "5on5", "4on4", "3on3", "hltv"};
// The maker's home page and its gaming team's site; reserved names until the real hosts are named.
constexpr std::array<const char*, 2> kWebHosts{"www.zovan.invalid", "www.brasswing.invalid"};

} // namespace

QString QuickLinks::ircAddress(int index)
{
    if (index < 0 || index >= int(kChannels.size()))
        return {};
    return QStringLiteral("irc:///") + QString::fromLatin1(kChannels[std::size_t(index)]);
}

QString QuickLinks::webAddress(int index)
{
    if (index < 0 || index >= int(kWebHosts.size()))
        return {};
    return QStringLiteral("http://") + QString::fromLatin1(kWebHosts[std::size_t(index)]);
}

QString QuickLinks::bannerAddress()
{
    return QStringLiteral("http://www.spectrel.invalid/");
}

void QuickLinks::lIRCLinks_Click(int index)
{
    const QString address = ircAddress(index);
    if (!address.isEmpty())
        launch(address, QStringLiteral("Launching default IRC program failed   "));
}

void QuickLinks::lWWWLink_Click(int index)
{
    const QString address = webAddress(index);
    if (!address.isEmpty())
        launch(address, QStringLiteral("Launching default web browser program failed   "));
}

void QuickLinks::BannerLink_Click()
{
    launch(bannerAddress(), QStringLiteral("Launching default web browser program failed   "));
}

void QuickLinks::launch(const QString& address, const QString& failure)
{
    if (!m_opener.open(address))
        m_notices.ShowNotice(failure, NoticeWarning, QStringLiteral("Warning"));
}

} // namespace spectrel
