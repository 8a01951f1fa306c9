#include "web/AddressOpener.h"

#include "core/Logging.h"

#include <QDesktopServices>
#include <QUrl>

namespace spectrel {

bool DesktopAddressOpener::open(const QString& address)
{
    const bool ok = QDesktopServices::openUrl(QUrl(address));
    qCInfo(lcWeb) << "opening" << address << (ok ? "" : "failed");
    return ok;
}

AddressOpener& desktopAddressOpener()
{
    static DesktopAddressOpener opener;
    return opener;
}

} // namespace spectrel
