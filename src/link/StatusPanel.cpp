#include "link/StatusPanel.h"

namespace spectrel {

void StatusPanel::applyConnected(const StatusReading& reading, bool countdownRunning)
{
    server = reading.server;
    delay = reading.delay;
    delaySeconds = reading.delaySeconds;
    map = reading.map;
    proxyState = reading.recording ? ProxyState::Recording : ProxyState::Connected;
    recordEnabled = !reading.recording;
    stopEnabled = reading.recording;
    recNowEnabled = !reading.recording;
    stopNowEnabled = reading.recording || countdownRunning;
    if (reading.demo != StatusReading::Demo::Keep) {
        demo = reading.demoText;
        demoInRecordingColour = reading.demo == StatusReading::Demo::Recording;
    }
}

void StatusPanel::goOffline()
{
    proxyState = ProxyState::Offline;
    recordEnabled = stopEnabled = recNowEnabled = stopNowEnabled = false;
    server = offlineText();
    map.clear();
    delay.clear();
    delaySeconds = 0;
    demo.clear();
}

} // namespace spectrel
