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

QByteArrayList ChannelLines::take(const QByteArray& piece)
{
    QByteArrayList lines;
    qsizetype at = 0;
    while (at < piece.size()) {
        const qsizetype lf = piece.indexOf('\n', at);
        const qsizetype end = lf < 0 ? piece.size() : lf;
        if (!m_overlong) {
            m_pending += piece.mid(at, end - at);
            if (m_pending.size() > kMaxLine) {
                m_overlong = true;
                m_pending.clear();
            }
        }
        if (lf < 0)
            break;
        if (!m_overlong)
            lines.append(m_pending.trimmed());
        m_pending.clear();
        m_overlong = false;
        at = lf + 1;
    }
    return lines;
}

} // namespace spectrel
