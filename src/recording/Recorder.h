#pragma once

#include "core/Clock.h"
#include "link/Countdown.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace spectrel {

class ClanNames;
class Cues;
class ErrorTrap;
class Notices;
class ProxySession;

// The four recording actions: "Record now" and "Stop now" send their command at once; "Record" and "Stop"
// first count the proxy's broadcast delay down on the demo label, one tick a second, and send it when the
// delay has passed, so the demo starts and ends with what the spectators see. Every action asks the proxy
// for a fresh status first and acts on that, never on what the window showed before. The window's buttons,
// its hotkeys and the command-line companion all run these same actions.
class Recorder : public QObject, public CountdownSource {
    Q_OBJECT
public:
    // How an action ended, for callers that report it (the window does not).
    enum class Outcome {
        Nothing,      // nothing to do: stopping a proxy that does not record
        Refused,      // a clan name missing, the proxy offline or already recording: the user was told
        QueryFailed,  // the fresh status could not be had
        CountingDown, // a countdown runs; its run-out ends with `finished`
        Sent,         // the command went out and the proxy confirmed it
        SendFailed,   // the command went out and was not confirmed
    };

    Recorder(ProxySession& session, ClanNames& clans, Notices& notices, Cues& cues, ErrorTrap& trap,
             Clock& clock, QObject* parent = nullptr);
    ~Recorder() override;

    Outcome recordNow();        // "Record now"
    Outcome stopNow();          // "Stop now"
    Outcome recordAfterDelay(); // "Record"
    Outcome stopAfterDelay();   // "Stop"

    // Ends a countdown without a command, as going offline does.
    void cancel();

    // The countdown, which only the recorder changes.
    CountdownState countdown() const override;
    // The warning when the proxy is offline or relays no game server, as every front end shows it.
    static QString offlineWarning();

Q_SIGNALS:
    // The countdown text that the demo label now shows.
    void countdownShown(const QString& text);
    // A countdown has run out and ended as `outcome` (never CountingDown).
    void finished(spectrel::Recorder::Outcome outcome);
    // A running countdown ended without running out: another action was started, or the proxy went offline.
    void countdownCancelled();

private:
    // Click cue, any countdown cancelled, the clan names checked where asked, a fresh status: false when the
    // action ends there.
    bool prologue(bool checkClanNames, Outcome& outcome);
    Outcome act(bool start, bool afterDelay);
    Outcome refuse(const QString& warning);
    void startCountdown(CountdownMode mode, qint64 pressedAt);
    void showCountdown(const QString& text);
    void Timer1_Timer();
    Outcome runOut();

    ProxySession& m_session;
    ClanNames& m_clans;
    Notices& m_notices;
    Cues& m_cues;
    ErrorTrap& m_trap;
    Clock& m_clock;
    std::unique_ptr<Timer> m_timer1;
    CountdownMode m_countdownMode = CountdownMode::None;
    std::int16_t m_countdownSeconds = -1;
};

} // namespace spectrel
