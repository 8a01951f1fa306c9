#include "fields/ClanNameRules.h"

namespace spectrel::clan {

bool isForbidden(QChar c)
{
    switch (c.unicode()) {
    case u'\\':
    case u'/':
    case u':':
    case u'*':
    case u'?':
    case u'>':
    case u'<':
    case u'|':
        return true;
    default:
        return false;
    }
}

QChar firstForbidden(const QString& text)
{
    for (QChar c : text) {
        if (isForbidden(c))
            return c;
    }
    return QChar();
}

QString afterChange(const QString& text)
{
    const QString kept = text.left(kMaxLength);
    return firstForbidden(kept).isNull() ? kept : QString();
}

} // namespace spectrel::clan
