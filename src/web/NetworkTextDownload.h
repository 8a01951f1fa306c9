#pragma once

#include "web/TextDownload.h"

#include <QNetworkAccessManager>

class QEventLoop;

namespace spectrel {

class Clock;

// The download on Qt's network stack. The program carries it in its download module (spectrel-download),
// so that Qt Network and the libraries under it are loaded only when the first update check runs.
class NetworkTextDownload : public TextDownload {
public:
    explicit NetworkTextDownload(Clock& clock);

    QString DownloadText(const QString& address) override;
    void abort() override;

private:
    Clock& m_clock;
    QNetworkAccessManager m_network;
    QEventLoop* m_waiting = nullptr;
};

} // namespace spectrel
