#include "fields/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace spectrel {

bool SystemClipboard::hasText(bool& busy)
{
    busy = false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool SystemClipboard::text(QString& text)
{
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
