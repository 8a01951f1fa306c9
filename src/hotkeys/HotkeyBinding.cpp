#include "hotkeys/HotkeyBinding.h"

#include "core/Cues.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "hotkeys/GlobalHotkeys.h"
#include "hotkeys/KeyCatalogue.h"

namespace spectrel {

namespace {

const QString kWarning = QStringLiteral("Warning");

SettingKey enableKey(HotkeyRowId row)
{
    return row == HotkeyRowId::Record ? SettingKey::cRHE : SettingKey::cSHE;
}

int hotkeyId(HotkeyRowId row)
{
    return row == HotkeyRowId::Record ? HotkeyBinding::RecordHotkeyId : HotkeyBinding::StopHotkeyId;
}

// What a desktop shortcut runs instead of the row's hotkey: it starts the window when none runs.
QString triggerCommand(HotkeyRowId row)
{
    return row == HotkeyRowId::Record ? QStringLiteral("spectrel --trigger record")
                                      : QStringLiteral("spectrel --trigger stop");
}

// Without X11 or Win32 hotkeys (a Wayland session, say) the desktop's own shortcuts can run the trigger.
QString noHotkeysWarning(HotkeyRowId row)
{
    return QStringLiteral("Global hotkeys are not available in this desktop session.\r\n"
                          "Bind a desktop shortcut to \"") +
           triggerCommand(row) + QStringLiteral("\" instead   ");
}

// The desktop portal declined the shortcut or is not there: a desktop shortcut can still run the trigger, and
// a game on X11 still sees the program's own X11 hotkeys when Qt runs on X11 too.
QString desktopRefusedWarning(HotkeyRowId row)
{
    return QStringLiteral("The desktop did not grant this hotkey.\r\n"
                          "Bind a desktop shortcut to \"") +
           triggerCommand(row) + QStringLiteral("\" instead, or start Spectrel with QT_QPA_PLATFORM=xcb   ");
}

} // namespace

QString missingChoiceWarning(HotkeyRowId row)
{
    return row == HotkeyRowId::Record ? QStringLiteral("No recording action or hotkey selected   ")
                                      : QStringLiteral("No stopping action or hotkey selected   ");
}

int modifierMask(const HotkeyRowValues& values)
{
    return (values.alt == 1 ? GlobalHotkeys::Alt : 0) + (values.ctrl == 1 ? GlobalHotkeys::Ctrl : 0) +
           (values.shift == 1 ? GlobalHotkeys::Shift : 0);
}

bool& HotkeyBinding::registeredFlag(HotkeyRowId row)
{
    return row == HotkeyRowId::Record ? RecordHotkeySet : StopHotkeySet;
}

void HotkeyBinding::refuse(const QString& warning)
{
    qCInfo(lcHotkeys).noquote() << "warning:" << warning.simplified();
    m_s.notices.ShowNotice(warning, NoticeWarning, kWarning);
}

void HotkeyBinding::enableBoxChanged(HotkeyRowId row, int boxValue, bool startupDone)
{
    const bool ticked = boxValue == 1;
    if (ticked && startupDone)
        m_s.cues.PlayCue(CueHotkey);
    writeText(m_s.settings, enableKey(row), QString::number(boxValue));

    bool& registered = registeredFlag(row);
    if (!ticked) {
        if (registered)
            m_s.hotkeys.unregisterHotkey(hotkeyId(row));
        registered = false;
        held(row) = {};
        return;
    }

    const HotkeyRowValues values = m_s.rows.hotkeyRow(row);
    if (values.action < 0 || values.keyPosition < 0) {
        m_s.cues.PlayCue(CueFailure);
        m_s.rows.clearEnableBox(row);
        refuse(missingChoiceWarning(row));
        return;
    }
    const int mask = modifierMask(values);
    if (mask == 0) {
        m_s.cues.PlayCue(CueFailure);
        m_s.rows.clearEnableBox(row);
        refuse(QStringLiteral("At least one special key must be selected (CTRL, ALT, SHIFT)   "));
        return;
    }
    const int keyCode = keys::selectedKeyCode(values.keyPosition, values.keyText);
    if (keyCode == 0) {
        m_s.cues.PlayCue(CueFailure);
        refuse(QStringLiteral("Selected hotkey can not be set   "));
        return;
    }

    // X would let the program grab its own grab a second time: the other row's combination counts as held.
    const Combination wanted{mask, keyCode};
    const bool heldByOtherRow = heldByOther(row) == wanted;
    registered = !heldByOtherRow && m_s.hotkeys.registerHotkey(hotkeyId(row), mask, keyCode) ? 1 : 0;
    if (registered)
        held(row) = wanted;
    qCInfo(lcHotkeys) << "hotkey" << hotkeyId(row) << "mask" << mask << "key" << keyCode
                      << (registered ? "registered" : "refused");
    if (!registered) {
        m_s.cues.PlayCue(CueFailure);
        refuse(heldByOtherRow || m_s.hotkeys.available() ? QStringLiteral("Current hotkey already in use   ")
                                                         : noHotkeysWarning(row));
    }
}

void HotkeyBinding::registrationRefused(int hotkeyId)
{
    if (hotkeyId != RecordHotkeyId && hotkeyId != StopHotkeyId)
        return;
    const HotkeyRowId row = hotkeyId == RecordHotkeyId ? HotkeyRowId::Record : HotkeyRowId::Stop;
    bool& registered = registeredFlag(row);
    if (!registered)
        return; // switched off before the answer came
    registered = false;
    qCInfo(lcHotkeys) << "hotkey" << hotkeyId << "refused";
    m_s.cues.PlayCue(CueFailure);
    refuse(desktopRefusedWarning(row));
}

void HotkeyBinding::rowControlChanged(HotkeyRowId row, SettingKey control, int value)
{
    writeText(m_s.settings, control, QString::number(value));
    m_s.rows.clearEnableBox(row);
}

void HotkeyBinding::unregisterAll()
{
    if (RecordHotkeySet)
        m_s.hotkeys.unregisterHotkey(RecordHotkeyId);
    if (StopHotkeySet)
        m_s.hotkeys.unregisterHotkey(StopHotkeyId);
    RecordHotkeySet = false;
    StopHotkeySet = false;
    m_held[0] = m_held[1] = {};
}

HotkeyAction hotkeyAction(int hotkeyId, int actionPosition)
{
    if (hotkeyId == HotkeyBinding::RecordHotkeyId)
        return actionPosition == 0   ? HotkeyAction::Record
               : actionPosition == 1 ? HotkeyAction::RecordNow
                                     : HotkeyAction::None;
    if (hotkeyId == HotkeyBinding::StopHotkeyId)
        return actionPosition == 0   ? HotkeyAction::Stop
               : actionPosition == 1 ? HotkeyAction::StopNow
                                     : HotkeyAction::None;
    return HotkeyAction::None;
}

int triggeredHotkeyId(const QByteArray& line)
{
    if (line == "trigger record")
        return HotkeyBinding::RecordHotkeyId;
    if (line == "trigger stop")
        return HotkeyBinding::StopHotkeyId;
    return 0;
}

} // namespace spectrel
