#include "fields/Clipboard.h"

#include "fields/ClipboardProbe.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace spectrel {

namespace {

// How long a key press in a field may wait for the clipboard's owner before the clipboard counts as busy.
constexpr int kOwnerAnswerMs = 250;

} // namespace

bool SystemClipboard::hasText(bool& busy)
{
    busy = !clipboardOwnerAnswers(kOwnerAnswerMs);
    if (busy)
        return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool SystemClipboard::text(QString& text)
{
    if (!clipboardOwnerAnswers(kOwnerAnswerMs))
        return false;
    text = QGuiApplication::clipboard()->text();
    return true;
}

bool SystemClipboard::clear()
{
    QGuiApplication::clipboard()->clear();
    return true;
}

bool SystemClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    return true;
}

Clipboard& systemClipboard()
{
    static SystemClipboard clipboard;
    return clipboard;
}

} // namespace spectrel
