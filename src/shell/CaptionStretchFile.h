#pragma once

#include "shell/FormBuilder.h"

#include <QHash>
#include <QString>

namespace spectrel {

// The condensed captions' stretches kept in a small file of the user's cache folder
// ($XDG_CACHE_HOME/spectrel/caption-stretches), one "stretch<tab>key" line each. Losing the file costs the
// next start a few milliseconds, nothing else: a line that does not read is left out, and a file that cannot
// be written is only noted in the log.
class CaptionStretchFile : public CaptionStretches {
public:
    explicit CaptionStretchFile(QString path = defaultPath());

    std::optional<int> stretchFor(const QString& key) const override;
    // Remembers the stretch and writes the file at once, unless it already held it.
    void remember(const QString& key, int stretch) override;

    static QString defaultPath();

private:
    QString m_path;
    QHash<QString, int> m_stretches;
};

} // namespace spectrel
