#include "link/HostLookup.h"

#include <QHostAddress>
#include <QHostInfo>

namespace spectrel {

std::optional<quint32> resolveIPv4(const QString& name)
{
    for (const QHostAddress& a : QHostInfo::fromName(name).addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toIPv4Address();
    }
    return std::nullopt;
}

} // namespace spectrel
