// Arbitrary datagrams through the reply handler's reading: classification, the challenge cut and the status
// report. A run-time failure is a reaction the program has for it (unreadable reply, error trap); a crash, a
// hang or a sanitizer report is a bug.

#include "link/RconProtocol.h"
#include "link/StatusPanel.h"
#include "link/StatusReading.h"
#include "text/RuntimeFailure.h"

#include <cstddef>
#include <cstdint>

using namespace spectrel;

namespace {
int fixedWidth(const QString& s)
{
    return int(s.size()) * 100;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the reader's state: whether a command waits, the count watch, the countdown.
    const std::uint8_t state = data[0];
    const QByteArray datagram(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QString s = rcon::datagramText(datagram);
    try {
        switch (rcon::classifyReply(s, (state & 1) != 0)) {
        case rcon::ReplyKind::Challenge:
            (void)rcon::cutChallenge(s);
            break;
        case rcon::ReplyKind::StatusReport: {
            SpectatorWatch watch{((state >> 1) & 1) != 0, std::int16_t((state >> 2) & 7)};
            const StatusReading r = readStatusReport(s, watch, CountdownMode((state >> 5) % 3), fixedWidth);
            StatusPanel panel;
            if (r.outcome == StatusReading::Outcome::Connected) {
                panel.applyConnected(r, (state & 0x80) != 0);
                if (r.server.size() * 100 > kStatusTextWidthTwips)
                    __builtin_trap(); // the fit must hold
            } else {
                panel.goOffline();
            }
            break;
        }
        default:
            break;
        }
    } catch (const RuntimeFailure&) {
    }
    return 0;
}
