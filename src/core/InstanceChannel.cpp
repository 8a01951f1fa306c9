#include "core/InstanceChannel.h"

#include <QCryptographicHash>
#include <QDir>

namespace spectrel {

QString instanceChannelName()
{
    // Per user: the home folder names the user on every platform without asking the system for more.
    const QByteArray user =
        QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("spectrel-") + QString::fromLatin1(user.left(16));
}

} // namespace spectrel
