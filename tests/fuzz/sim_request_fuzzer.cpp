// Datagrams into the simulator (tools/hltv-sim) as any client on the network could send them: the request's
// framing, the rcon line, then the command it carries run on a fresh proxy, followed by a status report. A
// reply must fit the proxy's print buffer.

#include "ProxyGame.h"
#include "RconRequest.h"

#include <cstddef>
#include <cstdint>

using namespace spectrel::sim;

namespace {

// The 0xFF prefix, the type byte, the print buffer and the closing 0x00.
constexpr qsizetype kLongestReply = 4 + 1 + 1022 + 1;

void answer(ProxyGame& game, const QByteArray& command)
{
    if (printReply(game.run(command, "127.0.0.1:27020")).size() > kLongestReply)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QByteArray> text = requestText(datagram);
    if (!text || isChallengeRequest(*text))
        return 0;
    const std::optional<RconLine> line = parseRconLine(*text);
    if (!line)
        return 0;
    static const SimulatorOptions options;
    ProxyGame game(options);
    answer(game, line->command);
    answer(game, "status");
    return 0;
}
