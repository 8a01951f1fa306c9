#include "web/AddressOpener.h"

#include "core/Logging.h"

#include <QDesktopServices>
#include <QMetaObject>
#include <QUrl>

namespace spectrel {

namespace {

// Qt's desktop services know at once whether the launch worked (ShellExecute's result on Windows).
class DesktopServicesOpener : public AddressOpener {
public:
    void open(const QString& address, QObject* context, Outcome outcome) override
    {
        const bool launched = QDesktopServices::openUrl(QUrl(address));
        qCInfo(lcWeb) << "opening" << address << (launched ? "" : "failed");
        QMetaObject::invokeMethod(
            context, [outcome = std::move(outcome), launched] { outcome(launched); }, Qt::QueuedConnection);
    }
};

} // namespace

AddressOpener& desktopAddressOpener()
{
    static DesktopServicesOpener opener;
    return opener;
}

} // namespace spectrel
