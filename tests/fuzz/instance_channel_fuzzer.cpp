// Bytes another process of the same user sends down the instance channel, in the pieces in which they
// arrive, through the gathering of lines and the reading of each line. The lines must not depend on where
// the pieces break, and none may pass the longest line the window holds.

#include "core/InstanceChannel.h"
#include "hotkeys/HotkeyBinding.h"

#include <cstddef>
#include <cstdint>

using namespace spectrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte: the size of the pieces.
    const qsizetype piece = data[0] % 64 + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    ChannelLines whole;
    const QByteArrayList lines = whole.take(bytes);
    ChannelLines pieces;
    QByteArrayList gathered;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        gathered += pieces.take(bytes.mid(at, piece));
    if (gathered != lines)
        __builtin_trap();
    for (const QByteArray& line : lines) {
        if (line.size() > ChannelLines::kMaxLine)
            __builtin_trap();
        (void)triggeredHotkeyId(line);
    }
    return 0;
}
