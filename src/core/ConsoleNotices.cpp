#include "core/ConsoleNotices.h"

#include "core/NoticeFormat.h"

#include <cstdio>

namespace spectrel {

int ConsoleNotices::ShowNotice(const QString& text, int flags, const QString& kind)
{
    m_shown.append(text);
    QString line = noticeCaption(kind) + QStringLiteral(": ") + text.trimmed();
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
    return noticeLook(flags).buttons[0];
}

} // namespace spectrel
