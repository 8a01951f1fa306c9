#pragma once

#include <QString>

namespace spectrel {

class AddressOpener;
class Notices;

// The banner and the links of the "Quick links" frame: each hands a fixed address to the desktop's default
// program and reports only a failed launch.
class QuickLinks {
public:
    QuickLinks(AddressOpener& opener, Notices& notices) : m_opener(opener), m_notices(notices) {}

    // "irc:///" + the channel of IRC link `index` (0 to 6), http:// + the host of web link `index` (0 or 1);
    // empty for any other index.
    static QString ircAddress(int index);
    static QString webAddress(int index);
    static QString bannerAddress();

    void lIRCLinks_Click(int index);
    void lWWWLink_Click(int index);
    void BannerLink_Click();

private:
    void launch(const QString& address, const QString& failure);

    AddressOpener& m_opener;
    Notices& m_notices;
};

} // namespace spectrel
