#include "web/NetworkTextDownload.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "core/ProgramTitle.h"
#include "text/CodePage.h"
#include "web/InputHold.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QUrl>

namespace spectrel {

namespace {

// Names under .invalid never exist; they are not looked up at all.
bool reservedInvalid(const QUrl& url)
{
    const QString host = url.host();
    return host == u"invalid" || host.endsWith(QStringLiteral(".invalid"));
}

bool webScheme(const QUrl& url)
{
    return url.scheme() == u"http" || url.scheme() == u"https";
}

} // namespace

NetworkTextDownload::NetworkTextDownload(Clock& clock) : m_clock(clock) {}

QString NetworkTextDownload::DownloadText(const QString& address)
{
    const InputHold hold;
    const QUrl url(address);
    if (!url.isValid() || !webScheme(url) || reservedInvalid(url))
        return {};

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, applicationTitle());
    QNetworkReply* reply = m_network.get(request);
    reply->setReadBufferSize(kMaxBytes);

    QEventLoop loop;
    const auto quiet = m_clock.createTimer();
    quiet->setSingleShot(true);
    quiet->setInterval(kInactivityMs);
    const auto overall = m_clock.createTimer();
    overall->setSingleShot(true);
    overall->setInterval(kOverallMs);
    QObject::connect(quiet.get(), &Timer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(overall.get(), &Timer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    // The body is taken in pieces of at most 256 bytes, as it comes, until it reaches the size kept.
    QByteArray body;
    const auto takeAvailable = [&] {
        while (reply->bytesAvailable() > 0 && body.size() < kMaxBytes)
            body += reply->read(qMin<qint64>(256, kMaxBytes - body.size()));
        if (body.size() >= kMaxBytes && reply->isRunning()) {
            qCInfo(lcWeb) << "download of" << address << "stopped at" << kMaxBytes << "bytes";
            reply->abort();
        }
    };
    // Any sign of the server (an answer's head, a redirect, a piece of body) starts the inactivity anew.
    const auto alive = [&] { quiet->start(); };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, alive);
    QObject::connect(reply, &QNetworkReply::redirected, &loop, alive);
    QObject::connect(reply, &QIODevice::readyRead, &loop, [&] {
        alive();
        takeAvailable();
    });
    const qint64 started = m_clock.nowMs();
    quiet->start();
    overall->start();
    m_waiting = &loop;
    if (!reply->isFinished())
        loop.exec();
    m_waiting = nullptr;

    takeAvailable();
    if (!reply->isFinished())
        qCInfo(lcWeb) << "download of" << address << "abandoned after" << m_clock.nowMs() - started << "ms";
    else if (reply->error() != QNetworkReply::NoError)
        qCInfo(lcWeb) << "download of" << address << "answered with" << reply->errorString();
    reply->abort();
    reply->deleteLater();
    return text::fromCodePage(body);
}

void NetworkTextDownload::abort()
{
    if (m_waiting)
        m_waiting->quit();
}

} // namespace spectrel
