#pragma once

#include "core/Clock.h"
#include "core/ErrorTrap.h"
#include "core/SettingsKeys.h"
#include "fields/Clipboard.h"
#include "hotkeys/GlobalHotkeys.h"
#include "hotkeys/HotkeyBinding.h"
#include "link/AutoRefresh.h"
#include "link/ConnectionFields.h"
#include "link/ProxySession.h"
#include "recording/Recorder.h"
#include "shell/FormControls.h"
#include "web/AddressOpener.h"
#include "web/UpdateCheck.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;

namespace spectrel {

class ClanFields;
class ConnectionFieldEditors;
class Cues;
class FieldHook;
class Notices;
class QuickLinks;
class TextDownload;
class CaptionStretches;
class SettingsStore;

// The program's only window: the controls of the layout, the timers, the proxy session, and the handlers the
// controls' events run. Handlers keep their controls' names (cRefresh_Click, Timer30_Timer, ...).
class HLTVForm : public QWidget, private ConnectionFields, private HotkeyRows {
    Q_OBJECT
public:
    HLTVForm(Notices& notices, Cues& cues, SettingsStore& settings, Clock& clock = realClock(),
             Clipboard& clipboard = systemClipboard(), GlobalHotkeys& hotkeys = systemHotkeys(),
             AddressOpener& opener = desktopAddressOpener(), const WebAddresses& addresses = {},
             CaptionStretches* captionStretches = nullptr, QWidget* parent = nullptr);
    ~HLTVForm() override;

    // The start-up sequence. False when the program must end at once (the port is in use, or start-up
    // failed); the notice has been shown and nothing was saved.
    bool Form_Load();
    // The shutdown sequence; runs once, when the window closes after a finished start-up.
    void Form_Unload();
    // What every way of ending saves: the window's position (unless minimised) and the four text fields.
    void saveAtShutdown() const;

    const FormControls& controls() const { return m_controls; }
    ProxySession& session() { return *m_session; }
    Recorder& recorder() { return *m_recorder; }
    double twipsPerPixel() const { return m_twipsPerPixel; }

    // Form-level state.
    bool StartupDone = false;
    bool SettingsDeleted = false;
    bool AutoRefreshByUser = false;
    // RecordHotkeySet and StopHotkeySet are the hotkey binding's.

    // Requests.
    bool QueryStatus() { return m_session->QueryStatus(); }

    // The four recording actions; the hotkeys run them too.
    void cRecNow_Click() { m_recorder->recordNow(); }
    void cStopNow_Click() { m_recorder->stopNow(); }
    void cRecord_Click() { m_recorder->recordAfterDelay(); }
    void cStop_Click() { m_recorder->stopAfterDelay(); }

    // A press of hotkey `id`: the row's action, while its button is enabled.
    void HotkeyDispatch(int id);
    // The same from the menu entry or the command line, once start-up has finished, after a fresh status: a
    // window started for the trigger knows nothing of the proxy yet, and one that has run for a while may
    // know an old state. A row without an action warns.
    void Trigger(int id);

    // The program ends with `exitCode` once the window is gone.
    void endProgram(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Handlers.
    void cRefresh_Click();
    void cAutoRefresh_Click();
    void cAnnounce_Click(SettingKey box);
    void cRHE_Click();
    void cSHE_Click();
    // The ten row handlers, one family: cRecAction_Click, cCtrlRec_Click, ..., cSK_Click.
    void hotkeyRow_Click(HotkeyRowId row, SettingKey control);
    void Tabek_Change(int page);
    void coDelete_Click();
    void tDelayUpdate_Timer();
    void coUpdate_Click();
    UpdateCheck& updateCheck();
    void FirstRunWelcome();
    void StopAllTimers();
    void FillKeyLists();
    void placeWindow();
    void restoreSettings();
    // The five text fields without their context menu, and with it again.
    void hookFields();
    void unhookFields();

    // The error trap's reaction: the failure's description, then the program ends.
    void trapFailure(const RuntimeFailure& failure);
    // Connects a control's signal to a handler that runs inside the error trap.
    template <typename Sender, typename Signal>
    void handle(Sender* sender, Signal signal, std::function<void()> f)
    {
        connect(sender, signal, this, [this, f = std::move(f)] { m_trap.run(f); });
    }

    // The connection fields as the link reads them.
    bool ConnectionFieldsInvalid() override;
    QString serverText() const override;
    QString portText() const override;
    QString passwordText() const override;
    void clearServerAndPort() override;

    // The hotkey rows as the binding reads them.
    HotkeyRowValues hotkeyRow(HotkeyRowId row) const override;
    void clearEnableBox(HotkeyRowId row) override;

    // The session's news.
    void paintPanel();
    void wentOffline();

    QCheckBox* box(SettingKey key) const;
    // Unticks the auto-refresh box as the program, not the user: no click cue.
    void untickAutoRefresh();
    void storeBox(SettingKey key);
    void storeAnnouncements();

    Notices& m_notices;
    Cues& m_cues;
    SettingsStore& m_settings;
    Clock& m_clock;
    GlobalHotkeys& m_hotkeys;
    ErrorTrap m_trap;
    double m_twipsPerPixel = 15.0;
    FormControls m_controls;
    std::unique_ptr<Timer> m_tDelayUpdate;
    std::unique_ptr<ProxySession> m_session;
    std::unique_ptr<AutoRefresh> m_autoRefresh; // after the session, which it uses until its end
    std::unique_ptr<ClanFields> m_clanFields;
    std::unique_ptr<ConnectionFieldEditors> m_connectionFields;
    std::unique_ptr<FieldHook> m_fieldHook;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<TextDownload> m_download;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    std::function<void()> m_makeUpdateCheck;
    std::unique_ptr<QuickLinks> m_quickLinks;
    std::unique_ptr<HotkeyBinding> m_hotkeyBinding;
    std::unique_ptr<QObject> m_windowMoves; // sticky edges and keep-above while dragged, once hooked
    bool m_unloaded = false;
    bool m_ending = false;
    bool m_closeAfterStartup = false;
};

} // namespace spectrel
