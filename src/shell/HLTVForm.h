#pragma once

#include "link/ProxySession.h"
#include "shell/FormControls.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QLineEdit;

namespace spectrel {

class Cues;
class Notices;
class SettingsStore;

// The program's only window: the controls of the layout, the timers, the proxy session, and the handlers the
// controls' events run. Handlers keep their controls' names (cRefresh_Click, Timer30_Timer, ...).
class HLTVForm : public QWidget, private SessionControls {
    Q_OBJECT
public:
    HLTVForm(Notices& notices, Cues& cues, SettingsStore& settings, QWidget* parent = nullptr);
    ~HLTVForm() override;

    // The start-up sequence. False when the program must end at once (the port is in use, or start-up
    // failed); the notice has been shown and nothing was saved.
    bool Form_Load();
    // The shutdown sequence; runs once, when the window closes after a finished start-up.
    void Form_Unload();

    const FormControls& controls() const { return m_controls; }
    ProxySession& session() { return *m_session; }
    double twipsPerPixel() const { return m_twipsPerPixel; }

    // Form-level state.
    std::uint8_t StartupDone = 0;
    std::uint8_t SettingsDeleted = 0;
    std::uint8_t CountdownMode = 0;
    std::int16_t CountdownSeconds = -1;
    std::uint8_t AutoRefreshByUser = 0;
    std::uint8_t RecordHotkeySet = 0;
    std::uint8_t StopHotkeySet = 0;

    QTimer Timer1;       // the countdown of a delay-aware start or stop
    QTimer Timer30;      // the automatic refresh
    QTimer tDelayUpdate; // the one-shot update check after start-up

    // Requests.
    bool QueryStatus() { return m_session->QueryStatus(); }
    void ResetToOffline() { m_session->ResetToOffline(); }

    // The program ends with `exitCode` once the window is gone.
    void endProgram(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Handlers.
    void cRefresh_Click();
    void cAutoRefresh_Click();
    void Timer30_Timer();
    void cAnnounce_Click(const char* name);
    void hotkeyRow_Click(const char* name, const char* enableBox);
    void hotkeyEnable_Click(const char* name, std::uint8_t& registeredFlag);
    void Tabek_Change(int page);
    void coDelete_Click();
    void tDelayUpdate_Timer();
    void FirstRunWelcome();
    void StopAllTimers();
    void FillKeyLists();
    void restoreSettings();

    // Runs a handler under the error trap: an unexpected failure shows its description and ends the program.
    void trap(const std::function<void()>& handler);
    void trapFailure(const RuntimeFailure& failure) override;

    // The session's view of the window.
    bool ConnectionFieldsInvalid() override;
    QString serverText() const override;
    QString portText() const override;
    QString passwordText() const override;
    void clearServerAndPort() override;
    void offlineControls() override;
    void panelChanged() override;
    void showDemoPage() override;
    std::uint8_t countdownMode() const override { return CountdownMode; }
    bool countdownRunning() const override { return Timer1.isActive(); }
    bool announceStart() const override;
    bool announceEnd() const override;
    void closeProgram() override { endProgram(1); }

    // Unticks the auto-refresh box as the program, not the user: no click cue.
    void untickAutoRefresh();
    void storeBox(const char* name);
    // The failing field's warning: cue, its page in front, light red while the notice is open, focus.
    void warnAboutField(QLineEdit* field, int page, const QString& warning);
    QRect workAreaTwips() const;

    Notices& m_notices;
    Cues& m_cues;
    SettingsStore& m_settings;
    double m_twipsPerPixel = 15.0;
    FormControls m_controls;
    std::unique_ptr<ProxySession> m_session;
    bool m_unloaded = false;
    bool m_ending = false;
    bool m_closeAfterStartup = false;
};

} // namespace spectrel
