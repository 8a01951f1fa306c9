#pragma once

#include <QString>

namespace spectrel {

// The per-user settings: one section ("Settings") of text values under the application title. Key names are
// compared without regard to letter case.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when the key is missing.
    virtual QString read(const QString& key, const QString& defaultValue) const = 0;
    virtual void write(const QString& key, const QString& value) = 0;
    // Removes every key of the section; throws RuntimeFailure(InvalidCall) when the section does not exist.
    virtual void deleteSection() = 0;
};

} // namespace spectrel
