#pragma once

#include "link/StatusReading.h"

#include <QString>

#include <cstdint>

namespace spectrel {

// What the "HLTV proxy status" frame shows, the proxy state the recording actions act on, and which of the
// four recording buttons may be pressed. Written only by status reports and by going offline.
// What the program knows of the proxy, from the last report (the numbers are those spectrelctl prints).
enum class ProxyState : std::uint8_t { Unknown = 0, Offline = 1, Recording = 2, Connected = 3 };

struct StatusPanel {
    static QString offlineText() { return QStringLiteral("(not connected / offline)"); }

    ProxyState proxyState = ProxyState::Unknown;
    QString server = offlineText(); // lCServer
    QString map;                    // lCMap
    QString delay;                  // lCDelay
    double delaySeconds = 0;        // the delay as read, for a countdown
    QString demo;                   // lCDemo
    bool demoInRecordingColour = false;
    bool recordEnabled = false;  // cRecord
    bool stopEnabled = false;    // cStop
    bool recNowEnabled = false;  // cRecNow
    bool stopNowEnabled = false; // cStopNow

    // A readable report of a proxy relaying a game server. "Stop now" stays usable while a countdown runs so
    // it can cancel a pending start.
    void applyConnected(const StatusReading& reading, bool countdownRunning);
    void goOffline();
};

} // namespace spectrel
