#pragma once

#include "shell/FormBuilder.h"

#include <QHash>
#include <QObject>
#include <QString>

namespace spectrel {

// The condensed captions' stretches kept in a small file of the user's cache folder
// ($XDG_CACHE_HOME/spectrel/caption-stretches), one "stretch<tab>key" line each. Losing the file costs the
// next start a few milliseconds, nothing else: a line that does not read is left out, and a file that cannot
// be written is only noted in the log.
class CaptionStretchFile : public CaptionStretches {
public:
    explicit CaptionStretchFile(QString path = defaultPath());
    // Writes what is still to be written.
    ~CaptionStretchFile() override;
    CaptionStretchFile(const CaptionStretchFile&) = delete;
    CaptionStretchFile& operator=(const CaptionStretchFile&) = delete;

    std::optional<int> stretchFor(const QString& key) const override;
    // Remembers the stretch; the file is written once the events of the moment are handled (the window then
    // is shown), once for all the stretches found meanwhile, unless it already held them.
    void remember(const QString& key, int stretch) override;

    static QString defaultPath();

private:
    void write();

    QString m_path;
    QHash<QString, int> m_stretches;
    bool m_unwritten = false;
    QObject m_writing; // ends a pending write with the object
};

} // namespace spectrel
