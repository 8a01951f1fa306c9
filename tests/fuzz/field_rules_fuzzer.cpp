// Text as typing, pasting or the clipboard puts it into the connection fields and the clan-name fields,
// through the rules of what they admit. What a field keeps must fit the field and hold only what it admits.

#include "fields/ClanNameRules.h"
#include "fields/ConnectionFieldRules.h"
#include "text/CodePage.h"

#include <cstddef>
#include <cstdint>

using namespace spectrel;

namespace {

bool allDigits(const QString& s)
{
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses how the rest becomes text: UTF-8 as the clipboard hands it over, or the code
    // page.
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QString s = (data[0] & 1) ? QString::fromUtf8(bytes) : text::fromCodePage(bytes);

    for (QChar c : s) {
        (void)connection::serverKeepsTyped(text::codePageCode(c));
        (void)connection::portKeepsTyped(text::codePageCode(c));
    }
    if (const auto change = connection::afterServerChange(s)) {
        if (change->server.size() > connection::kServerMaxLength || change->server.contains(u':'))
            __builtin_trap();
        (void)connection::serverNeedsClearing(change->server);
        if (change->port)
            (void)connection::afterPortChange(*change->port);
    }
    if (const auto port = connection::afterPortChange(s)) {
        if (port->size() > connection::kPortMaxLength || !allDigits(*port))
            __builtin_trap();
    }
    (void)connection::serverNeedsClearing(s);
    if (connection::pastedText(s, connection::kPasswordMaxLength).size() > connection::kPasswordMaxLength)
        __builtin_trap();

    const QString clan = clan::afterChange(s);
    if (clan.size() > clan::kMaxLength || !clan::firstForbidden(clan).isNull())
        __builtin_trap();
    return 0;
}
