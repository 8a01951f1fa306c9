#pragma once

#include <QNetworkAccessManager>
#include <QString>

namespace spectrel {

class Clock;

// Fetches the body at an address over HTTP, always from the server itself (never from a cache), and returns
// it as 8-bit text, or the empty text when it cannot be had. It blocks its caller as a download always did,
// but waits in a nested event loop, so the window stays painted; the wait cursor covers the whole screen
// meanwhile, and the wait never lasts longer than the time-out.
class TextDownload {
public:
    static constexpr int kTimeoutMs = 10000;

    explicit TextDownload(Clock& clock, int timeoutMs = kTimeoutMs);

    QString DownloadText(const QString& address);

private:
    Clock& m_clock;
    int m_timeoutMs;
    QNetworkAccessManager m_network;
};

} // namespace spectrel
