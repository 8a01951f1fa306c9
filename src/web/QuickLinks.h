#pragma once

#include "web/WebAddresses.h"

#include <QObject>
#include <QString>

namespace spectrel {

class AddressOpener;
class Notices;

// The banner and the links of the "Quick links" frame: each hands its address to the desktop's default
// program and reports only a failed launch, once the desktop has told.
class QuickLinks {
public:
    QuickLinks(AddressOpener& opener, Notices& notices, const WebAddresses& addresses)
        : m_opener(opener), m_notices(notices), m_addresses(addresses)
    {
    }

    // An index outside the links (0 to 6, 0 or 1) does nothing.
    void lIRCLinks_Click(int index);
    void lWWWLink_Click(int index);
    void BannerLink_Click();

private:
    void launch(const QString& address, const QString& failure);

    AddressOpener& m_opener;
    Notices& m_notices;
    WebAddresses m_addresses;
    QObject m_alive; // a launch's outcome is reported only while the links exist
};

} // namespace spectrel
