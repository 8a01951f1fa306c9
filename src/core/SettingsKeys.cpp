#include "core/SettingsKeys.h"

#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

#include <array>
#include <cstddef>

namespace spectrel {

namespace {

using enum SettingForm;

constexpr std::array<SettingRow, 25> kSettings{{
    {SettingKey::FirstRun, u"FirstRun", Boolean, u"True", false},
    {SettingKey::Left, u"Left", Single, u"", true},
    {SettingKey::Top, u"Top", Single, u"", true},
    {SettingKey::tServer, u"tServer", Text, u"", false},
    {SettingKey::tPort, u"tPort", Text, u"", false},
    {SettingKey::tRcon, u"tRcon", Text, u"", false},
    {SettingKey::tYour, u"tYour", Text, u"", false},
    {SettingKey::cRecAction, u"cRecAction", Int16, u"-1", false},
    {SettingKey::cStopAction, u"cStopAction", Int16, u"-1", false},
    {SettingKey::cRK, u"cRK", Int16, u"-1", false},
    {SettingKey::cSK, u"cSK", Int16, u"-1", false},
    {SettingKey::cAutoRefresh, u"cAutoRefresh", Box, u"0", false},
    {SettingKey::cCtrlRec, u"cCtrlRec", Box, u"1", false},
    {SettingKey::cAltRec, u"cAltRec", Box, u"0", false},
    {SettingKey::cShiftRec, u"cShiftRec", Box, u"1", false},
    {SettingKey::cCtrlStop, u"cCtrlStop", Box, u"1", false},
    {SettingKey::cAltStop, u"cAltStop", Box, u"0", false},
    {SettingKey::cShiftStop, u"cShiftStop", Box, u"1", false},
    {SettingKey::cRHE, u"cRHE", Box, u"0", false},
    {SettingKey::cSHE, u"cSHE", Box, u"0", false},
    {SettingKey::cAnnounceStart, u"cAnnounceStart", Box, u"0", false},
    {SettingKey::cAnnounceEnd, u"cAnnounceEnd", Box, u"0", false},
    {SettingKey::cAnnounceSpec, u"cAnnounceSpec", Box, u"0", false},
    {SettingKey::LastTab, u"LastTab", Int16, u"0", false},
    {SettingKey::Home, u"Home", Text, u"", true},
}};

// settingRow() indexes the table by the key's value.
constexpr bool tableFollowsEnum()
{
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        if (static_cast<std::size_t>(kSettings[i].key) != i)
            return false;
    }
    return kSettings.size() == static_cast<std::size_t>(SettingKey::Home) + 1;
}
static_assert(tableFollowsEnum());

QString runtimeDefault(SettingKey key, const RuntimeDefaults& runtime)
{
    std::optional<QString> value;
    if (key == SettingKey::Left && runtime.workAreaLeft)
        value = text::singleText(*runtime.workAreaLeft);
    else if (key == SettingKey::Top && runtime.workAreaTop)
        value = text::singleText(*runtime.workAreaTop);
    else if (key == SettingKey::Home && runtime.home)
        value = *runtime.home;
    if (!value)
        throw RuntimeFailure(RuntimeFailure::InvalidCall,
                             QStringLiteral("%1: the setting \"%2\" has no default")
                                 .arg(RuntimeFailure::invalidCall().description(), settingName(key)));
    return *value;
}

template <typename Convert>
auto convertSetting(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime,
                    Convert convert)
{
    const QString stored = readText(store, key, runtime);
    try {
        return convert(stored);
    } catch (const RuntimeFailure& failure) {
        throw RuntimeFailure(failure.number(), QStringLiteral("%1: the setting \"%2\" holds \"%3\"")
                                                   .arg(failure.description(), settingName(key), stored));
    }
}

} // namespace

std::span<const SettingRow> allSettings()
{
    return kSettings;
}

const SettingRow& settingRow(SettingKey key)
{
    return kSettings.at(static_cast<std::size_t>(key));
}

QString settingName(SettingKey key)
{
    return settingRow(key).name.toString();
}

QString settingDefault(SettingKey key, const RuntimeDefaults& runtime)
{
    const SettingRow& row = settingRow(key);
    return row.defaultAtRunTime ? runtimeDefault(key, runtime) : row.defaultText.toString();
}

QString readText(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime)
{
    return store.read(settingName(key), settingDefault(key, runtime));
}

bool readBoolean(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime)
{
    return convertSetting(store, key, runtime, [](const QString& s) { return text::toBoolean(s); });
}

float readSingle(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime)
{
    return convertSetting(store, key, runtime, [](const QString& s) { return text::toSingle(s); });
}

std::int16_t readInt16(const SettingsStore& store, SettingKey key, const RuntimeDefaults& runtime)
{
    return convertSetting(store, key, runtime, [](const QString& s) { return text::toInt16(s); });
}

void writeText(SettingsStore& store, SettingKey key, const QString& value)
{
    store.write(settingName(key), value);
}

void writeBoolean(SettingsStore& store, SettingKey key, bool value)
{
    store.write(settingName(key), text::booleanText(value));
}

void writeSingle(SettingsStore& store, SettingKey key, float value)
{
    store.write(settingName(key), text::singleText(value));
}

void writeInt16(SettingsStore& store, SettingKey key, std::int16_t value)
{
    store.write(settingName(key), QString::number(value));
}

void deleteSettings(SettingsStore& store)
{
    try {
        store.deleteSection();
    } catch (const RuntimeFailure& failure) {
        if (failure.number() != RuntimeFailure::InvalidCall)
            throw;
    }
}

} // namespace spectrel
