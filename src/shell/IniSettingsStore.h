#pragma once

#include "core/SettingsStore.h"

#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace spectrel {

// The settings store over QSettings: an INI file (the user's config folder on Linux) or the registry
// (Windows). Values live in the section "Settings". Key names and the section name are matched without regard
// to case here, because the INI backend is case-sensitive. Every write is synced at once, since the program
// may be killed at any moment.
//
// An INI file is kept private (mode 0600, it holds the rcon password) and is replaced atomically by
// QSettings' save file. A store that cannot be read never stops the program: it reads as empty, so every
// caller gets its default, and status() / problem() say what happened so that start-up can tell the user.
// A write that cannot be saved (a read-only folder or file, a full disk) keeps its value in memory, so later
// reads in the same run see it, and is reported once per store through onWriteFailure(): the store shows
// nothing itself.
class IniSettingsStore : public SettingsStore {
public:
    enum class Status {
        Ok,
        // The file exists but cannot be read (a directory in its place, no permission). Writes are kept in
        // memory for this run only, so the file is never overwritten with less than it holds.
        Unreadable,
        // The file is damaged. The first write sets it aside as "<file>.broken" (or "<file>.broken-2", ...),
        // then starts a new file; if it cannot be set aside, writes are kept in memory for this run only.
        Corrupt,
        // The store was read but a write could not be saved; the value holds until the program closes.
        NotSaved,
    };

    // The INI file at `filePath`.
    explicit IniSettingsStore(const QString& filePath);
    // Any QSettings; the file handling above applies when its format is QSettings::IniFormat.
    explicit IniSettingsStore(std::unique_ptr<QSettings> settings);
    ~IniSettingsStore() override;

    QString read(const QString& key, const QString& defaultValue) const override;
    void write(const QString& key, const QString& value) override;
    void deleteSection() override;

    Status status() const { return m_status; }
    // Empty when all is well; otherwise a warning for the user naming the file and what the store does,
    // ending in three blanks like the program's other warnings.
    QString problem() const;
    // Called with problem() at the first write of this store that could not be saved; later failures are
    // not reported again.
    void onWriteFailure(std::function<void(const QString& warning)> report)
    {
        m_onWriteFailure = std::move(report);
    }
    // The INI file's path, or the registry path.
    QString location() const { return m_location; }
    // Where a damaged file was set aside, once it was; empty before.
    QString brokenCopy() const { return m_brokenCopy; }

private:
    QString problemSentence() const;
    QString sectionName() const;
    QStringList sectionNames() const;
    void save();
    void makeFilePrivate() const;
    bool setBrokenFileAside();
    QString freeBrokenCopyName() const;
    bool fileHoldsEveryKey() const;
    void reportWriteFailure();

    std::unique_ptr<QSettings> m_settings; // null while the values live in m_memory
    std::vector<std::pair<QString, QString>> m_memory;
    QString m_location;
    QString m_brokenCopy;
    bool m_iniFile = false;
    bool m_replaceOnWrite = false;
    Status m_status = Status::Ok;
    std::function<void(const QString&)> m_onWriteFailure;
    bool m_writeFailureReported = false;
};

} // namespace spectrel
