#pragma once

#include "core/SettingsStore.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>

namespace spectrel {

// Every value the program keeps between runs, named as it is stored.
enum class SettingKey {
    FirstRun,
    Left,
    Top,
    tServer,
    tPort,
    tRcon,
    tYour,
    cRecAction,
    cStopAction,
    cRK,
    cSK,
    cAutoRefresh,
    cCtrlRec,
    cAltRec,
    cShiftRec,
    cCtrlStop,
    cAltStop,
    cShiftStop,
    cRHE,
    cSHE,
    cAnnounceStart,
    cAnnounceEnd,
    cAnnounceSpec,
    LastTab,
    Home,
};

// How a value is written as text.
enum class SettingForm {
    Boolean, // the words True and False
    Single,  // a single-precision number in decimal
    Int16,   // a 16-bit whole number in decimal; -1 for "no list entry"
    Text,    // as typed, without any encoding
    Box,     // a check box value, 0 or 1, read as a 16-bit whole number
};

struct SettingRow {
    SettingKey key;
    QStringView name;
    SettingForm form;
    QStringView defaultText; // unused when defaultAtRunTime
    bool defaultAtRunTime;   // Left, Top and Home: see RuntimeDefaults
};

// The defaults only the running program knows. Reading Left, Top or Home without its default here fails with
// InvalidCall, whether or not the key is stored, so a forgotten default shows up at once rather than putting
// the window at 0 on some first start.
struct RuntimeDefaults {
    std::optional<float> workAreaLeft; // twips, the default of Left
    std::optional<float> workAreaTop;  // twips, the default of Top
    std::optional<QString> home;       // the built-in download page address, the default of Home
};

// The whole table, in a fixed order.
std::span<const SettingRow> allSettings();
const SettingRow& settingRow(SettingKey key);
QString settingName(SettingKey key);
// The default as stored text.
QString settingDefault(SettingKey key, const RuntimeDefaults& runtime = {});

// Typed readers: the stored text, or the default when the key is missing, converted as the text rules
// convert. A text that does not convert fails with the conversion's number (TypeMismatch, Overflow) and a
// description that names the key and the text, e.g. `Type mismatch: the setting "Left" holds "abc"`.
QString readText(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime = {});
bool readBoolean(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime = {});
float readSingle(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime = {});
std::int16_t readInt16(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime = {});

// Writers in the stored forms.
void writeText(SettingsStore& store, SettingKey key, const QString& value);
void writeBoolean(SettingsStore& store, SettingKey key, bool value);
void writeSingle(SettingsStore& store, SettingKey key, float value);
void writeInt16(SettingsStore& store, SettingKey key, std::int16_t value);

// Deletes the program's settings section; a section that is not there (nothing saved yet) is no error.
void deleteSettings(SettingsStore& store);

} // namespace spectrel
