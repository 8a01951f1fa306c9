#include "shell/MessageBoxNotices.h"

#include "core/NoticeFormat.h"

#include <QMessageBox>

namespace spectrel {

namespace {

QMessageBox::Icon boxIcon(NoticeIcon icon)
{
    switch (icon) {
    case NoticeIcon::Stop:
        return QMessageBox::Critical;
    case NoticeIcon::Information:
        return QMessageBox::Information;
    case NoticeIcon::Exclamation:
        break;
    }
    return QMessageBox::Warning;
}

QMessageBox::StandardButton boxButton(int code)
{
    switch (code) {
    case AnswerCancel:
        return QMessageBox::Cancel;
    case AnswerRetry:
        return QMessageBox::Retry;
    case AnswerYes:
        return QMessageBox::Yes;
    case AnswerNo:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

int answerCode(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return AnswerCancel;
    case QMessageBox::Retry:
        return AnswerRetry;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    default:
        return AnswerOk;
    }
}

// What Escape or the window's close button answers: the refusing button where the box has one, otherwise its
// only button.
int escapeCode(const NoticeLook& look)
{
    for (int i = 0; i < look.buttonCount; ++i) {
        if (look.buttons[i] == AnswerCancel || look.buttons[i] == AnswerNo)
            return look.buttons[i];
    }
    return look.buttons[0];
}

} // namespace

MessageBoxNotices::MessageBoxNotices(QWidget* owner) : m_owner(owner) {}

int MessageBoxNotices::ShowNotice(const QString& text, int flags, const QString& kind)
{
    const NoticeLook look = noticeLook(flags);
    QMessageBox::StandardButtons buttons;
    for (int i = 0; i < look.buttonCount; ++i)
        buttons |= boxButton(look.buttons[i]);

    // On the heap and watched: a handler that runs inside the box's event loop may delete the owner, and the
    // box with it.
    QPointer<QMessageBox> box =
        new QMessageBox(boxIcon(look.icon), noticeCaption(kind), noticeBody(text), buttons, m_owner.data());
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(boxButton(look.buttons[0]));
    const int onEscape = escapeCode(look);
    box->setEscapeButton(boxButton(onEscape));

    box->exec();
    if (!box)
        return onEscape;
    QAbstractButton* clicked = box->clickedButton();
    const int answer = clicked ? answerCode(box->standardButton(clicked)) : onEscape;
    delete box.data();
    return answer;
}

} // namespace spectrel
