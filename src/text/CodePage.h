#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Datagrams carry text one byte per character in the Windows-1252 code page, the 8-bit code page the proxy's
// clients use. A character the code page cannot hold goes out as "?".
namespace spectrel::text {

QByteArray toCodePage(QStringView s);
QString fromCodePage(const QByteArray& bytes);
// The code of a character's byte in the code page, 63 ("?") when the code page cannot hold it.
int codePageCode(QChar c);

} // namespace spectrel::text
