#pragma once

#include "link/Countdown.h"

#include <QString>

#include <cstdint>
#include <functional>

// The reading of the proxy's answer to "status": from the datagram text to what the status panel shows.
namespace spectrel {

// The width of a text as the panel's font draws it, in twips.
using TextWidth = std::function<int(const QString&)>;
// Texts on the panel are fitted to this width.
inline constexpr int kStatusTextWidthTwips = 5390;

// The spectator count that the automatic refresh watches.
struct SpectatorWatch {
    bool check = false; // the next report reads the count; left set only when the count changed
    std::int16_t count = -1;
};

struct StatusReading {
    enum class Outcome {
        NoGameServer, // the proxy relays no game server: the panel goes offline, yet the request succeeds
        Connected,
        Unreadable, // a marker the reading needs is missing: the panel goes offline and the request fails
    };
    enum class Demo {
        Keep,         // a countdown owns the demo label
        Recording,    // dark red "Recording " + name
        NotRecording, // "(not recording)"
    };
    Outcome outcome = Outcome::Unreadable;
    bool recording = false;
    QString server;          // "name (address)", fitted
    QString map;             // "De_Dust2 / 10"
    QString delay;           // "30 seconds"
    double delaySeconds = 0; // the delay as a number, before any rounding
    Demo demo = Demo::Keep;
    QString demoText;
    // A recording report brings the page with the recording frames to the front and paints the demo label
    // dark red; an unreadable one does so too when it failed only at the shortening of the demo name.
    bool showDemoPage = false;
    QString failure; // why an unreadable report could not be read
};

// Reads the report in `s` (the whole datagram text). `watch` is read and updated as the reading goes, also
// when the report turns out unreadable later on. A start countdown keeps its text on the demo label while
// the proxy does not record, a stop countdown while it does.
StatusReading readStatusReport(const QString& s, SpectatorWatch& watch, CountdownMode countdown,
                               const TextWidth& widthTwips);

} // namespace spectrel
