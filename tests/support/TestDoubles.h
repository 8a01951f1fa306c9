#pragma once

#include "core/SettingsStore.h"
#include "fields/Clipboard.h"

#include <QMap>

namespace spectrel {

// Settings held in memory; keys ignore case, as in the settings file.
class MemorySettings : public SettingsStore {
public:
    QMap<QString, QString> values; // by lower-case key
    QString read(const QString& key, const QString& def) const override
    {
        return values.value(key.toLower(), def);
    }
    void write(const QString& key, const QString& value) override { values.insert(key.toLower(), value); }
    void deleteSection() override { values.clear(); }
};

// The system clipboard, held open by another program for the next `busyTimes` questions.
class BusyClipboard : public SystemClipboard {
public:
    int busyTimes = 0;
    int asked = 0;
    bool hasText(bool& busy) override
    {
        ++asked;
        busy = busyTimes > 0 && busyTimes--;
        return !busy && SystemClipboard::hasText(busy);
    }
};

} // namespace spectrel
