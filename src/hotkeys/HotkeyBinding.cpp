#include "hotkeys/HotkeyBinding.h"

#include "core/Cues.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "hotkeys/GlobalHotkeys.h"
#include "hotkeys/KeyCatalogue.h"

namespace spectrel {

namespace {

const QString kWarning = QStringLiteral("Warning");

SettingKey enableKey(HotkeySlot slot)
{
    return slot == HotkeySlot::Record ? SettingKey::cRHE : SettingKey::cSHE;
}

int hotkeyId(HotkeySlot slot)
{
    return slot == HotkeySlot::Record ? HotkeyBinding::RecordHotkeyId : HotkeyBinding::StopHotkeyId;
}

QString missingChoiceWarning(HotkeySlot slot)
{
    return slot == HotkeySlot::Record ? QStringLiteral("No recording action or hotkey selected   ")
                                      : QStringLiteral("No stopping action or hotkey selected   ");
}

// Without X11 or Win32 hotkeys (a Wayland session, say) the desktop's own shortcuts can run the trigger.
QString noHotkeysWarning(HotkeySlot slot)
{
    const QString command = slot == HotkeySlot::Record ? QStringLiteral("spectrelctl trigger record")
                                                       : QStringLiteral("spectrelctl trigger stop");
    return QStringLiteral("Global hotkeys are not available in this desktop session.\r\n"
                          "Bind a desktop shortcut to \"") +
           command + QStringLiteral("\" instead   ");
}

// The desktop portal declined the shortcut or is not there: a desktop shortcut can still run the trigger, and
// a game on X11 still sees the program's own X11 hotkeys when Qt runs on X11 too.
QString desktopRefusedWarning(HotkeySlot slot)
{
    const QString command = slot == HotkeySlot::Record ? QStringLiteral("spectrelctl trigger record")
                                                       : QStringLiteral("spectrelctl trigger stop");
    return QStringLiteral("The desktop did not grant this hotkey.\r\n"
                          "Bind a desktop shortcut to \"") +
           command + QStringLiteral("\" instead, or start Spectrel with QT_QPA_PLATFORM=xcb   ");
}

} // namespace

int modifierMask(const HotkeyRow& row)
{
    return (row.alt == 1 ? GlobalHotkeys::Alt : 0) + (row.ctrl == 1 ? GlobalHotkeys::Ctrl : 0) +
           (row.shift == 1 ? GlobalHotkeys::Shift : 0);
}

std::uint8_t& HotkeyBinding::registeredFlag(HotkeySlot slot)
{
    return slot == HotkeySlot::Record ? RecordHotkeySet : StopHotkeySet;
}

void HotkeyBinding::refuse(const QString& warning)
{
    qCInfo(lcHotkeys).noquote() << "warning:" << warning.simplified();
    m_s.notices.ShowNotice(warning, NoticeWarning, kWarning);
}

void HotkeyBinding::enableBoxChanged(HotkeySlot slot, int boxValue, bool startupDone)
{
    const bool ticked = boxValue == 1;
    if (ticked && startupDone)
        m_s.cues.PlayCue(CueHotkey);
    writeText(m_s.settings, enableKey(slot), QString::number(boxValue));

    std::uint8_t& registered = registeredFlag(slot);
    if (!ticked) {
        if (registered == 1)
            m_s.hotkeys.unregisterHotkey(hotkeyId(slot));
        registered = 0;
        held(slot) = {};
        return;
    }

    const HotkeyRow row = m_s.rows.hotkeyRow(slot);
    if (row.action < 0 || row.keyPosition < 0) {
        m_s.cues.PlayCue(CueFailure);
        m_s.rows.clearEnableBox(slot);
        refuse(missingChoiceWarning(slot));
        return;
    }
    const int mask = modifierMask(row);
    if (mask == 0) {
        m_s.cues.PlayCue(CueFailure);
        m_s.rows.clearEnableBox(slot);
        refuse(QStringLiteral("At least one special key must be selected (CTRL, ALT, SHIFT)   "));
        return;
    }
    const int keyCode = keys::selectedKeyCode(row.keyPosition, row.keyText);
    if (keyCode == 0) {
        m_s.cues.PlayCue(CueFailure);
        refuse(QStringLiteral("Selected hotkey can not be set   "));
        return;
    }

    // X would let the program grab its own grab a second time: the other row's combination counts as held.
    const Combination wanted{mask, keyCode};
    const bool heldByOtherRow = heldByOther(slot) == wanted;
    registered = !heldByOtherRow && m_s.hotkeys.registerHotkey(hotkeyId(slot), mask, keyCode) ? 1 : 0;
    if (registered == 1)
        held(slot) = wanted;
    qCInfo(lcHotkeys) << "hotkey" << hotkeyId(slot) << "mask" << mask << "key" << keyCode
                      << (registered ? "registered" : "refused");
    if (registered == 0) {
        m_s.cues.PlayCue(CueFailure);
        refuse(heldByOtherRow || m_s.hotkeys.available() ? QStringLiteral("Current hotkey already in use   ")
                                                         : noHotkeysWarning(slot));
    }
}

void HotkeyBinding::registrationRefused(int hotkeyId)
{
    if (hotkeyId != RecordHotkeyId && hotkeyId != StopHotkeyId)
        return;
    const HotkeySlot slot = hotkeyId == RecordHotkeyId ? HotkeySlot::Record : HotkeySlot::Stop;
    std::uint8_t& registered = registeredFlag(slot);
    if (registered == 0)
        return; // switched off before the answer came
    registered = 0;
    qCInfo(lcHotkeys) << "hotkey" << hotkeyId << "refused";
    m_s.cues.PlayCue(CueFailure);
    refuse(desktopRefusedWarning(slot));
}

void HotkeyBinding::rowControlChanged(HotkeySlot slot, SettingKey control, int value)
{
    writeText(m_s.settings, control, QString::number(value));
    m_s.rows.clearEnableBox(slot);
}

void HotkeyBinding::unregisterAll()
{
    if (RecordHotkeySet == 1)
        m_s.hotkeys.unregisterHotkey(RecordHotkeyId);
    if (StopHotkeySet == 1)
        m_s.hotkeys.unregisterHotkey(StopHotkeyId);
    RecordHotkeySet = 0;
    StopHotkeySet = 0;
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
