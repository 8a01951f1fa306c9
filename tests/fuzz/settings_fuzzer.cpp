// Any settings file, as the store opens it at start-up, then every value of the settings table read the way
// the program reads it. A value that does not convert fails with TypeMismatch or Overflow (the error trap
// reports it); any other failure, a crash or a sanitizer report is a bug.

#include "core/SettingsKeys.h"
#include "shell/IniSettingsStore.h"
#include "text/RuntimeFailure.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace spectrel;

namespace {

void readSetting(const SettingsStore& store, const SettingRow& setting, const RuntimeDefaults& runtime)
{
    switch (setting.form) {
    case SettingForm::Boolean:
        (void)readBoolean(store, setting.key, runtime);
        break;
    case SettingForm::Single:
        (void)readSingle(store, setting.key, runtime);
        break;
    case SettingForm::Int16:
    case SettingForm::Box:
        (void)readInt16(store, setting.key, runtime);
        break;
    case SettingForm::Text:
        (void)readText(store, setting.key, runtime);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("settings.ini"));
    static qint64 files = 0;
    {
        QFile file(path);
        // QSettings keeps the files it parsed and takes a file of the same size and time for the one it
        // knows: each input gets a time of its own, set once the bytes are written.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size) || !file.flush() ||
            !file.setFileTime(QDateTime::fromSecsSinceEpoch(++files), QFileDevice::FileModificationTime))
            __builtin_trap();
    }
    {
        const IniSettingsStore store(path);
        const RuntimeDefaults runtime{0.0f, 0.0f, QStringLiteral("www.example.org/spectrel")};
        for (const SettingRow& setting : allSettings()) {
            try {
                readSetting(store, setting, runtime);
            } catch (const RuntimeFailure& failure) {
                if (failure.number() != RuntimeFailure::TypeMismatch &&
                    failure.number() != RuntimeFailure::Overflow)
                    __builtin_trap();
            }
        }
    }
    return 0;
}
