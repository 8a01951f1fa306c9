#include "core/NoticeFormat.h"

#include "core/Notices.h"
#include "core/ProgramTitle.h"

namespace spectrel {

QString noticeBody(const QString& text)
{
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("   \r\n"));
    return body + QStringLiteral("   ");
}

QString noticeCaption(const QString& kind)
{
    return ProgramTitle() + QStringLiteral(" - ") + kind;
}

NoticeLook noticeLook(int flags)
{
    switch (flags) {
    case NoticeError:
        return {NoticeIcon::Stop, {AnswerOk, 0}, 1};
    case NoticeRetryCancel:
        return {NoticeIcon::Exclamation, {AnswerRetry, AnswerCancel}, 2};
    case NoticeInformation:
        return {NoticeIcon::Information, {AnswerOk, 0}, 1};
    case NoticeYesNo:
        return {NoticeIcon::Information, {AnswerYes, AnswerNo}, 2};
    case NoticeWarning:
    default:
        return {NoticeIcon::Exclamation, {AnswerOk, 0}, 1};
    }
}

} // namespace spectrel
