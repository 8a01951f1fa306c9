// Any body the update check could download, as the download hands it over (its bytes in the code page),
// through the update file's reading. Nothing, a file, or Overflow (a first line too long) are the answers the
// program has; anything else is a bug.

#include "text/CodePage.h"
#include "text/RuntimeFailure.h"
#include "web/UpdateFile.h"

#include <cstddef>
#include <cstdint>

using namespace spectrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString body = text::fromCodePage(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        const std::optional<update::UpdateFile> file = update::readUpdateFile(body);
        // The address is the first line: it ends before the first line feed and fits the byte that counts it.
        if (file && (file->home.contains(u'\n') || file->home.size() >= 255 || !body.startsWith(file->home)))
            __builtin_trap();
    } catch (const RuntimeFailure& failure) {
        if (failure.number() != RuntimeFailure::Overflow)
            __builtin_trap();
    }
    return 0;
}
