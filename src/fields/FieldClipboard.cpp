#include "fields/FieldClipboard.h"

#include "core/Notices.h"
#include "fields/Clipboard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace spectrel {

bool FieldClipboard::retrying(const std::function<bool()>& step)
{
    while (!step()) {
        const int answer = m_notices.ShowNotice(QStringLiteral("Windows Clipboard was not available"),
                                                NoticeRetryCancel, QStringLiteral("Warning"));
        if (answer != AnswerRetry)
            return false;
    }
    return true;
}

bool FieldClipboard::ctrlKeyWithText(const QKeyEvent* key)
{
    bool offersText = false;
    if (!retrying([&] {
            bool busy = false;
            offersText = m_clipboard.hasText(busy);
            return !busy;
        }))
        return false;
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    return mods == Qt::ControlModifier && offersText;
}

void FieldClipboard::copySelection(QLineEdit* field)
{
    const QString selected = field->selectedText();
    if (!retrying([this] { return m_clipboard.clear(); }))
        return;
    // Events run after each change of the clipboard, as they always have: the ownership change it causes is
    // handled before the next step.
    QCoreApplication::processEvents();
    if (!retrying([&] { return m_clipboard.setText(selected); }))
        return;
    QCoreApplication::processEvents();
}

} // namespace spectrel
