#pragma once

#include "link/RconLink.h"
#include "link/StatusPanel.h"
#include "link/StatusReading.h"

#include <QObject>
#include <QString>

#include <cstdint>

namespace spectrel {

class Cues;
class Notices;

// What a session needs from the program around it: the main window, or the command-line companion.
class SessionControls : public ConnectionOwner {
public:
    // Going offline also ends a countdown and the automatic refresh, where the program has them.
    virtual void offlineControls() {}
    // The panel (labels, colours, buttons) changed.
    virtual void panelChanged() {}
    // A recording report brings the page with the recording frames to the front.
    virtual void showDemoPage() {}
    virtual std::uint8_t countdownMode() const { return 0; }
    virtual bool countdownRunning() const { return false; }
    virtual bool announceStart() const { return false; }
    virtual bool announceEnd() const { return false; }
};

// The proxy as the rest of the program sees it: the four requests, the status panel they keep up to date,
// and the handling of the proxy's recording replies.
class ProxySession : public QObject, private ReplyReaders {
    Q_OBJECT
public:
    ProxySession(SessionControls& controls, Notices& notices, Cues& cues, TextWidth widthTwips,
                 QObject* parent = nullptr);

    RconLink& link() { return m_link; }
    const StatusPanel& panel() const { return m_panel; }
    SpectatorWatch& spectators() { return m_spectators; }

    // The four requests; each returns false when its exchange ended in "error".
    bool QueryStatus();
    bool StartRecording(const QString& demoName); // "record" and the name in double quotes
    bool StopRecording();
    bool SayToSpectators(const QString& text);

    // The panel, the proxy state and the recording buttons back to offline; a waiting request fails.
    void ResetToOffline() override;

private:
    void statusReportArrived(const QString& s) override;
    void recordingStartedArrived() override;
    void recordingCompletedArrived() override;

    bool commandRequest(const QString& command, const QString& doneCode);

    SessionControls& m_controls;
    Cues& m_cues;
    TextWidth m_widthTwips;
    RconLink m_link;
    StatusPanel m_panel;
    SpectatorWatch m_spectators;
};

} // namespace spectrel
