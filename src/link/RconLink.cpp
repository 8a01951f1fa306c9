#include "link/RconLink.h"

#include "core/Clock.h"
#include "core/Cues.h"
#include "core/ErrorTrap.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "core/ProgramTitle.h"
#include "link/ConnectionFields.h"
#include "link/RconProtocol.h"
#include "link/UdpRemoteErrors.h"
#include "text/TextRules.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace spectrel {

struct RconLink::Request {
    QString command;
    QString doneCode;
    QString slot;
    std::unique_ptr<Timer> Timer2;
    QEventLoop* loop = nullptr;
    bool finished = false;

    bool ended() const { return slot == doneCode || slot == rcon::kError; }
};

namespace {

const QString kUnreachable = QStringLiteral("No internet connection or HLTV server not running   ");

// Sets a flag for the duration of a scope; socket errors raised by our own calls are handled where they
// occur.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_old; }

private:
    bool& m_flag;
    bool m_old;
};

} // namespace

RconLink::RconLink(const Services& services, ReplyReaders& readers, QObject* parent)
    : QObject(parent), m_fields(services.fields), m_readers(readers), m_notices(services.notices),
      m_cues(services.cues), m_trap(services.trap), m_clock(services.clock)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, [this] { m_trap.run([this] { ws_DataArrival(); }); });
    connect(&m_socket, &QUdpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { m_trap.run([this, e] { ws_Error(e); }); });
}

RconLink::~RconLink()
{
    failAll();
}

QString RconLink::portsInUseText()
{
    return QStringLiteral("Ports needed by %1 are in use\r\n%1 will now close").arg(applicationTitle());
}

RconLink::BindResult RconLink::bindSocket(quint16 port)
{
    FlagScope own(m_ownCall);
    m_socket.close();
    if (!m_socket.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress)) {
        qCWarning(lcLink) << "cannot bind local port" << port << m_socket.errorString();
        return m_socket.error() == QAbstractSocket::AddressInUseError ? BindResult::PortInUse
                                                                      : BindResult::Failed;
    }
    m_boundPort = port;
    udp::enableRemoteErrors(m_socket.socketDescriptor());
    qCDebug(lcLink) << "bound to local port" << m_socket.localPort();
    return BindResult::Bound;
}

void RconLink::closeSocket()
{
    m_socket.close();
    m_inbox.clear();
    failAll();
}

quint16 RconLink::localPort() const
{
    return m_socket.localPort();
}

QString RconLink::PendingCommand() const
{
    return m_active.empty() ? m_idleSlot : m_active.back()->slot;
}

void RconLink::setPendingCommand(const QString& value)
{
    if (m_active.empty()) {
        m_idleSlot = value;
        return;
    }
    m_active.back()->slot = value;
    // The slot is judged once the event that wrote it is over, as a waiting request sees it: a report
    // without a game server goes offline ("error") and then succeeds ("2") within one reply. A reply handler
    // judges it itself when it ends; other writers leave it to a posted call.
    const bool handlerWillSettle =
        m_dispatchDepth > 0 && QThread::currentThread()->loopLevel() == m_dispatchLoopLevel;
    if (!handlerWillSettle && !m_settlePosted) {
        m_settlePosted = true;
        QTimer::singleShot(0, this, [this] {
            m_settlePosted = false;
            settle();
        });
    }
}

void RconLink::settle()
{
    while (!m_active.empty() && m_active.back()->ended())
        finish(*m_active.back());
}

bool RconLink::childMayStart() const
{
    // Only a request that a reply handler starts itself, not one started by some event that a wait inside the
    // handler lets through: those run one event-loop level deeper.
    return m_dispatchDepth > 0 && QThread::currentThread()->loopLevel() == m_dispatchLoopLevel;
}

bool RconLink::request(const QString& command, const QString& doneCode)
{
    Request r;
    r.command = command;
    r.doneCode = doneCode;
    r.Timer2 = m_clock.createTimer();
    r.Timer2->setSingleShot(true);
    r.Timer2->setInterval(kTimeoutMs);
    connect(r.Timer2.get(), &Timer::timeout, this,
            [this, &r] { m_trap.run([this, &r] { Timer2_Timer(r); }); });
    QEventLoop loop;
    r.loop = &loop;

    try {
        if ((m_active.empty() && m_queue.empty()) || childMayStart()) {
            start(r);
        } else {
            qCDebug(lcLink) << "queued" << command << "behind" << waitingRequests() << "request(s)";
            m_queue.push_back(&r);
        }
        settle();
        while (!r.finished) {
            if (loop.exec() < 0) { // the application is quitting: no loop may run any more
                r.slot = rcon::kError;
                finish(r);
            }
        }
    } catch (...) {
        // A failure inside the send goes to the caller's trap; the request must not stay behind.
        m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), &r), m_queue.end());
        if (!r.finished) {
            r.slot = rcon::kError;
            finish(r);
        }
        throw;
    }
    qCDebug(lcLink) << command << "ended with" << r.slot;
    return r.slot != rcon::kError;
}

void RconLink::start(Request& r)
{
    if (!m_active.empty())
        m_active.back()->Timer2->stop(); // the handler of that reply runs us; its own time-out waits for us
    m_active.push_back(&r);
    r.Timer2->start();
    r.slot = r.command;
    SendDatagram(rcon::challengeRequest());
}

void RconLink::finish(Request& r)
{
    if (r.finished)
        return;
    r.finished = true;
    r.Timer2->stop();
    const auto at = std::find(m_active.begin(), m_active.end(), &r);
    const bool wasOnTop = at != m_active.end() && at + 1 == m_active.end();
    if (at != m_active.end())
        m_active.erase(at);
    if (r.loop)
        r.loop->quit();

    if (wasOnTop && !m_active.empty()) {
        // A nested request leaves its outcome in the slot of the request whose reply handler started it.
        Request& parent = *m_active.back();
        parent.slot = r.slot;
        if (parent.ended())
            finish(parent);
        else if (!parent.Timer2->isActive())
            parent.Timer2->start();
        return;
    }
    if (m_active.empty()) {
        m_idleSlot = r.slot;
        if (!m_queue.empty() && !m_startPosted) {
            m_startPosted = true;
            QTimer::singleShot(0, this, [this] { startNextQueued(); });
        }
    }
}

void RconLink::startNextQueued()
{
    m_startPosted = false;
    if (!m_active.empty() || m_queue.empty())
        return;
    Request& r = *m_queue.front();
    m_queue.pop_front();
    try {
        start(r);
        settle();
    } catch (const RuntimeFailure& failure) {
        r.slot = rcon::kError;
        finish(r);
        m_trap.fail(failure);
    }
}

void RconLink::failAll()
{
    while (!m_queue.empty()) {
        Request& r = *m_queue.front();
        m_queue.pop_front();
        r.slot = rcon::kError;
        r.finished = true;
        if (r.loop)
            r.loop->quit();
    }
    while (!m_active.empty()) {
        Request& r = *m_active.back();
        m_active.pop_back();
        r.slot = rcon::kError;
        r.finished = true;
        r.Timer2->stop();
        if (r.loop)
            r.loop->quit();
    }
    m_idleSlot = rcon::kError;
}

void RconLink::Timer2_Timer(Request& r)
{
    qCDebug(lcLink) << r.command << "timed out";
    if (r.finished)
        return;
    r.slot = rcon::kError;
    finish(r);
}

void RconLink::SendDatagram(const QString& text)
{
    if (m_fields.ConnectionFieldsInvalid())
        return;

    std::int32_t port = 0;
    try {
        port = text::toInt32(m_fields.portText());
    } catch (const RuntimeFailure& failure) {
        if (failure.number() != RuntimeFailure::TypeMismatch)
            throw;
        m_cues.PlayCue(CueFailure);
        m_notices.ShowNotice(QStringLiteral("Invalid server or port specified   "), NoticeWarning,
                             QStringLiteral("Warning"));
        m_fields.clearServerAndPort();
        return;
    }

    QHostAddress address;
    if (port < 1 || port > 65535 || !resolveRemote(address)) {
        unreachable();
        return;
    }

    qint64 written = 0;
    {
        FlagScope own(m_ownCall);
        written = m_socket.writeDatagram(rcon::frameDatagram(text), address, quint16(port));
    }
    if (written >= 0) {
        qCDebug(lcLink) << "sent" << text.left(5) << "to" << address.toString() << port;
        return;
    }
    switch (m_socket.error()) {
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::SocketAccessError:
    case QAbstractSocket::SocketAddressNotAvailableError:
    case QAbstractSocket::ConnectionRefusedError:
        unreachable();
        return;
    default:
        throw RuntimeFailure(int(m_socket.error()), m_socket.errorString());
    }
}

bool RconLink::resolveRemote(QHostAddress& address)
{
    const QString name = m_fields.serverText();
    QHostAddress literal;
    if (literal.setAddress(name)) {
        address = literal;
        return literal.protocol() == QAbstractSocket::IPv4Protocol;
    }
    if (name == m_resolvedName && !m_resolvedAddress.isNull()) {
        address = m_resolvedAddress;
        return true;
    }
    // The lookup may take a while: wait for it with events flowing, never longer than a request would.
    QEventLoop wait;
    QHostInfo found;
    bool done = false;
    const int id = QHostInfo::lookupHost(name, this, [&](const QHostInfo& info) {
        found = info;
        done = true;
        wait.quit();
    });
    QTimer::singleShot(kTimeoutMs, &wait, &QEventLoop::quit);
    if (!done)
        wait.exec();
    if (!done) {
        QHostInfo::abortHostLookup(id);
        qCInfo(lcLink) << "lookup of" << name << "took too long";
        return false;
    }
    for (const QHostAddress& a : found.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            m_resolvedName = name;
            m_resolvedAddress = a;
            address = a;
            return true;
        }
    }
    qCInfo(lcLink) << "cannot resolve" << name << found.errorString();
    return false;
}

void RconLink::unreachable()
{
    m_readers.ResetToOffline();
    m_cues.PlayCue(CueFailure);
    m_notices.ShowNotice(kUnreachable, NoticeWarning, QStringLiteral("Warning"));
}

void RconLink::ws_DataArrival()
{
    // Handlers run outside this signal: the socket does not report new datagrams while its readyRead is being
    // handled, and a handler may wait for further replies.
    // The size is also the test for a waiting datagram (receiveDatagram() without a size would ask again). A
    // look fails when a remote error is queued on the socket: those are taken off, and the look repeated.
    const auto nextSize = [this] {
        const qint64 size = m_socket.pendingDatagramSize();
        if (size >= 0)
            return size;
        takeRemoteErrors();
        return m_socket.pendingDatagramSize();
    };
    for (qint64 size = nextSize(); size >= 0; size = nextSize()) {
        const QNetworkDatagram d = m_socket.receiveDatagram(size);
        if (!d.isValid())
            break;
        m_inbox.emplace_back(d.data(), d.senderAddress());
        QMetaObject::invokeMethod(
            this, [this] { m_trap.run([this] { processOneDatagram(); }); }, Qt::QueuedConnection);
    }
}

void RconLink::takeRemoteErrors()
{
    for (udp::RemoteError e : udp::takeRemoteErrors(m_socket.socketDescriptor())) {
        QTimer::singleShot(0, this, [this, e] {
            m_trap.run([this, e] {
                e == udp::RemoteError::Refused ? connectionRefused() : unreachable();
                settle();
            });
        });
    }
}

void RconLink::processOneDatagram()
{
    if (m_inbox.empty())
        return;
    auto [datagram, sender] = std::move(m_inbox.front());
    m_inbox.pop_front();
    handleReply(datagram, sender);
}

void RconLink::handleReply(const QByteArray& datagram, const QHostAddress& sender)
{
    // Only IPv4 senders count. Their dotted form is never shorter than seven characters ("0.0.0.0"), so it
    // need not be made to be measured.
    bool isIPv4 = false;
    sender.toIPv4Address(&isIPv4);
    if (!isIPv4)
        return;

    const QString s = rcon::datagramText(datagram);
    const int savedLevel = m_dispatchLoopLevel;
    ++m_dispatchDepth;
    m_dispatchLoopLevel = QThread::currentThread()->loopLevel();
    struct Restore {
        RconLink* self;
        int level;
        ~Restore()
        {
            --self->m_dispatchDepth;
            self->m_dispatchLoopLevel = level;
        }
    } restore{this, savedLevel};

    const rcon::ReplyKind kind = rcon::classifyReply(s, PendingCommand().isEmpty());
    qCDebug(lcLink) << "reply of" << s.size() << "characters:" << int(kind);
    try {
        switch (kind) {
        case rcon::ReplyKind::BadLength:
            setPendingCommand(rcon::kError);
            break;
        case rcon::ReplyKind::Challenge:
            m_lastChallenge = rcon::cutChallenge(s);
            if (!m_lastChallenge.isEmpty())
                SendDatagram(rcon::commandLine(m_lastChallenge, m_fields.passwordText(), PendingCommand()));
            setPendingCommand(rcon::kSayDone);
            break;
        case rcon::ReplyKind::StatusReport:
            m_readers.statusReportArrived(s);
            break;
        case rcon::ReplyKind::RecordingStarted:
            m_readers.recordingStartedArrived();
            break;
        case rcon::ReplyKind::RecordingCompleted:
            m_readers.recordingCompletedArrived();
            break;
        case rcon::ReplyKind::Unrecognised:
            m_cues.PlayCue(CueFailure);
            setPendingCommand(rcon::kError);
            break;
        }
    } catch (const RuntimeFailure& failure) {
        // A cut with a negative length: a marker the reading needs is missing, so the reply is unreadable.
        if (failure.number() != RuntimeFailure::InvalidCall)
            throw;
        qCInfo(lcLink) << "unreadable reply:" << failure.description();
        m_readers.ResetToOffline();
    }
    settle();
}

void RconLink::connectionRefused()
{
    // The proxy's host refused a datagram. The socket is opened afresh; a waiting request goes on waiting.
    qCInfo(lcLink) << "datagram refused by the remote host; binding the socket again";
    BindResult result = BindResult::Failed;
    {
        FlagScope own(m_ownCall);
        m_socket.close();
        m_inbox.clear();
        result = bindSocket(m_boundPort);
    }
    if (result == BindResult::PortInUse) {
        m_notices.ShowNotice(portsInUseText(), NoticeWarning, QStringLiteral("Warning"));
        Q_EMIT mustEnd();
        return;
    }
    if (result == BindResult::Failed)
        throw RuntimeFailure(int(m_socket.error()), m_socket.errorString());
    m_notices.ShowNotice(QStringLiteral("Fixing connection reset occurrence   "), NoticeWarning,
                         QStringLiteral("Warning"));
}

void RconLink::ws_Error(QAbstractSocket::SocketError error)
{
    if (m_ownCall)
        return; // reported where the call was made
    qCWarning(lcLink) << "socket error" << error << m_socket.errorString();
    m_notices.ShowNotice(QStringLiteral("Socket error occured:\r\n") + m_socket.errorString(), NoticeWarning,
                         QStringLiteral("Error"));
    Q_EMIT mustEnd();
}

} // namespace spectrel
