#pragma once

#include "core/SettingsKeys.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace spectrel {

class Cues;
class GlobalHotkeys;
class Notices;
class SettingsStore;

enum class HotkeyRowId { Record, Stop };

// What one row of the "Hotkeys" frame shows when its enable box is ticked.
struct HotkeyRowValues {
    int action = -1; // action list position; -1 nothing chosen
    int ctrl = 0;    // box values: 1 ticked, anything else not
    int alt = 0;
    int shift = 0;
    int keyPosition = -1; // key list position; -1 nothing chosen
    QString keyText;      // the text the key list shows
};

// The window's side of the binding: the row's values, and its enable box.
class HotkeyRows {
public:
    virtual ~HotkeyRows() = default;
    virtual HotkeyRowValues hotkeyRow(HotkeyRowId row) const = 0;
    // Clears the row's enable box; when it was ticked, its change handler runs before this returns.
    virtual void clearEnableBox(HotkeyRowId row) = 0;
};

// The two hotkey rows: every change of a row is saved at once and switches the row's hotkey off; ticking
// the enable box checks the row and registers the combination with the platform.
class HotkeyBinding {
public:
    static constexpr int RecordHotkeyId = 0xBFFF; // 49151
    static constexpr int StopHotkeyId = 0xBFFE;   // 49150

    struct Services {
        HotkeyRows& rows;
        GlobalHotkeys& hotkeys;
        SettingsStore& settings;
        Notices& notices;
        Cues& cues;
    };
    explicit HotkeyBinding(const Services& services) : m_s(services) {}

    // The enable box of `row` changed to `boxValue` (0 clear, 1 ticked, 2 grayed, which counts as clear).
    // The hotkey cue sounds only once start-up has finished.
    void enableBoxChanged(HotkeyRowId row, int boxValue, bool startupDone);
    // A row control changed: its value is saved under its key, then the row's enable box is cleared.
    void rowControlChanged(HotkeyRowId row, SettingKey control, int value);
    // The platform refused afterwards a registration it had accepted (the desktop portal answers after the
    // call): the refused registration's cue and warning, naming the ways round; the box stays ticked.
    void registrationRefused(int hotkeyId);
    // Shutdown: releases the registered combinations.
    void unregisterAll();

    // 1 while the platform holds the row's registration.
    bool RecordHotkeySet = false;
    bool StopHotkeySet = false;

private:
    // A combination as the platform holds it for a row; an empty one (key 0) while the row holds none.
    struct Combination {
        int mask = 0;
        int keyCode = 0;
        bool operator==(const Combination&) const = default;
    };
    bool& registeredFlag(HotkeyRowId row);
    Combination& held(HotkeyRowId row) { return m_held[row == HotkeyRowId::Record ? 0 : 1]; }
    const Combination& heldByOther(HotkeyRowId row) { return m_held[row == HotkeyRowId::Record ? 1 : 0]; }
    void refuse(const QString& warning);

    Services m_s;
    Combination m_held[2];
};

// The platform modifier mask of a row: ALT 1, CTRL 2, SHIFT 4 for each ticked box.
int modifierMask(const HotkeyRowValues& row);

// What a press of a row's hotkey runs, by the action list's position at that moment.
enum class HotkeyAction { None, Record, RecordNow, Stop, StopNow };
HotkeyAction hotkeyAction(int hotkeyId, int actionPosition);

// The warning for a row that has no action or no key chosen.
QString missingChoiceWarning(HotkeyRowId row);

// The hotkey identifier a line of the single-instance channel triggers ("trigger record", "trigger stop");
// 0 for any other line.
int triggeredHotkeyId(const QByteArray& line);

} // namespace spectrel
