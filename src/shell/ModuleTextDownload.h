#pragma once

#include "web/TextDownload.h"

#include <memory>

namespace spectrel {

class Clock;

// The update check's download as the program runs it: from its download module (spectrel-download, the
// download over Qt Network), loaded when the first download starts. Without the module nothing is fetched:
// every download returns the empty text, as one that reached no server, and the log says why once.
class ModuleTextDownload : public TextDownload {
public:
    explicit ModuleTextDownload(Clock& clock, QString modulePath = installedModulePath());
    ~ModuleTextDownload() override;

    QString DownloadText(const QString& address) override;
    void abort() override;

    static QString installedModulePath();

private:
    Clock& m_clock;
    QString m_path;
    bool m_tried = false;
    std::unique_ptr<TextDownload> m_download;
};

} // namespace spectrel
