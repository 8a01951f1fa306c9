#include "web/TextDownload.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "core/ProgramTitle.h"
#include "text/CodePage.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkReply>
#include <QUrl>

namespace spectrel {

namespace {

// The wait cursor for as long as the download runs, however it ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Names under .invalid never exist; they are not looked up at all.
bool reservedInvalid(const QUrl& url)
{
    const QString host = url.host();
    return host == u"invalid" || host.endsWith(QStringLiteral(".invalid"));
}

} // namespace

TextDownload::TextDownload(Clock& clock, int timeoutMs) : m_clock(clock), m_timeoutMs(timeoutMs) {}

QString TextDownload::DownloadText(const QString& address)
{
    const WaitCursor wait;
    const QUrl url(address);
    if (!url.isValid() || reservedInvalid(url))
        return {};

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, applicationTitle());
    QNetworkReply* reply = m_network.get(request);

    QByteArray body;
    QEventLoop loop;
    // The body is taken in pieces of at most 256 bytes, as it comes.
    const auto takeAvailable = [&] {
        while (reply->bytesAvailable() > 0)
            body += reply->read(256);
    };
    QObject::connect(reply, &QIODevice::readyRead, &loop, takeAvailable);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    const auto timeout = m_clock.createTimer();
    timeout->setSingleShot(true);
    timeout->setInterval(m_timeoutMs);
    QObject::connect(timeout.get(), &Timer::timeout, &loop, &QEventLoop::quit);
    timeout->start();
    if (!reply->isFinished())
        loop.exec();

    bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
    if (ok)
        takeAvailable();
    else
        qCInfo(lcWeb) << "download of" << address << "failed:"
                      << (reply->isFinished() ? reply->errorString() : QStringLiteral("no answer in time"));
    reply->abort();
    reply->deleteLater();
    return ok ? text::fromCodePage(body) : QString();
}

} // namespace spectrel
