#pragma once

#include "link/RconLink.h"
#include "link/StatusPanel.h"
#include "link/StatusReading.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace spectrel {

// The proxy as the rest of the program sees it: the four requests, the status panel they keep up to date,
// and the handling of the proxy's recording replies. It tells the world what happened by its signals and
// reads only the connection fields; the countdown and the announcement options reach it as plain values.
class ProxySession : public QObject, private ReplyReaders {
    Q_OBJECT
public:
    ProxySession(const RconLink::Services& services, TextWidth widthTwips, QObject* parent = nullptr);

    RconLink& link() { return m_link; }
    const StatusPanel& panel() const { return m_panel; }
    // Where reports keep the spectator count (the automatic refresh's); none: the count is not read.
    void setSpectatorWatch(SpectatorWatch* watch) { m_spectators = watch; }

    // The four requests; each returns false when its exchange failed.
    bool QueryStatus();
    bool StartRecording(const QString& demoName); // "record" and the name in double quotes
    bool StopRecording();
    bool SayToSpectators(const QString& text);

    // The panel, the proxy state and the recording buttons back to offline.
    void ResetToOffline() override;

    // Where the countdown is read when a report arrives: it keeps its text on the demo label, and while it
    // runs "Stop now" stays usable. None (the default): no countdown.
    void setCountdownSource(const CountdownSource* source) { m_countdown = source; }
    // A countdown's text on the demo label, in the button-text colour, until the next report or countdown
    // tick writes it again.
    void showCountdown(const QString& text);
    // A start countdown makes "Stop now" usable at once, so it can cancel the pending start.
    void enableStopNow();

    // Whether a confirmed start or end of a demo is announced to the spectators.
    void setAnnouncements(bool start, bool end)
    {
        m_announceStart = start;
        m_announceEnd = end;
    }

Q_SIGNALS:
    // The panel's texts, colour, proxy state or button enabling changed.
    void panelChanged();
    // A recording report brings the page with the recording frames to the front.
    void recordingPageWanted();
    // Going offline: before the panel is cleared, a countdown ends and the automatic refresh is switched off.
    void wentOffline();
    // The socket failed beyond repair; its notice has been shown.
    void programMustEnd();

private:
    std::optional<Outcome> statusReportArrived(const QString& s) override;
    std::optional<Outcome> recordingStartedArrived() override;
    std::optional<Outcome> recordingCompletedArrived() override;

    bool commandRequest(const QString& command, Outcome done);

    Cues& m_cues;
    TextWidth m_widthTwips;
    RconLink m_link;
    StatusPanel m_panel;
    SpectatorWatch* m_spectators = nullptr;
    const CountdownSource* m_countdown = nullptr;
    bool m_announceStart = false;
    bool m_announceEnd = false;
};

} // namespace spectrel
