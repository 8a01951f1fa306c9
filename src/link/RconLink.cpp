#include "link/RconLink.h"

#include "core/Cues.h"
#include "core/ErrorTrap.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "core/ProgramTitle.h"
#include "link/ConnectionFields.h"
#include "link/RconProtocol.h"
#include "text/RuntimeFailure.h"

#include <QTimer>

namespace spectrel {

namespace {

const QString kUnreachable = QStringLiteral("No internet connection or HLTV server not running   ");

} // namespace

RconLink::RconLink(const Services& services, ReplyReaders& readers, QObject* parent)
    : QObject(parent), m_fields(services.fields), m_readers(readers), m_notices(services.notices),
      m_cues(services.cues), m_trap(services.trap),
      m_address({services.fields, services.notices, services.cues, services.clock}, kTimeoutMs),
      m_requests(services.trap, services.clock, [this] { SendDatagram(rcon::challengeRequest()); })
{
    connect(&m_socket.socket(), &DatagramSocket::readable, this,
            [this] { m_trap.run([this] { onReadable(); }); });
    connect(&m_socket.socket(), &DatagramSocket::failed, this,
            [this] { m_trap.run([this] { onSocketFailed(); }); });
}

RconLink::~RconLink()
{
    m_requests.failAll();
}

QString RconLink::portsInUseText()
{
    return QStringLiteral("Ports needed by %1 are in use\r\n%1 will now close").arg(applicationTitle());
}

QString RconLink::socketFailureText(const QString& error)
{
    // "occured" is how this notice has always been spelt; users and their scripts know it by this text.
    return QStringLiteral("Socket error occured:\r\n") + error;
}

RconLink::BindResult RconLink::bindSocket(quint16 port)
{
    const DatagramSocket::BindResult result = m_socket.bind(port);
    if (result != DatagramSocket::BindResult::Bound) {
        qCWarning(lcLink) << "cannot bind local port" << port << socketErrorText();
        return result == DatagramSocket::BindResult::PortInUse ? BindResult::PortInUse : BindResult::Failed;
    }
    m_boundPort = port;
    qCDebug(lcLink) << "bound to local port" << localPort();
    return BindResult::Bound;
}

void RconLink::closeSocket()
{
    m_socket.close();
    m_requests.failAll();
}

bool RconLink::request(const QString& command, Outcome done)
{
    return m_requests.run(command, done, [this] {
        if (m_socket.hasArrivals())
            postDispatch(); // what arrived before this wait is handled inside it, before what comes next
    });
}

void RconLink::SendDatagram(const QString& text)
{
    if (m_fields.ConnectionFieldsInvalid())
        return;
    quint32 ipv4 = 0;
    quint16 port = 0;
    switch (m_address.find(ipv4, port)) {
    case ProxyAddress::Found::Ready:
        break;
    case ProxyAddress::Found::NotANumber:
        return; // warned; the waiting request fails at its time-out
    case ProxyAddress::Found::Unreachable:
        unreachable();
        return;
    }
    switch (m_socket.send(text, ipv4, port)) {
    case DatagramSocket::SendResult::Sent:
        qCDebug(lcLink) << "sent" << text.left(5) << "to"
                        << QStringLiteral("%1.%2.%3.%4")
                               .arg(ipv4 >> 24)
                               .arg(ipv4 >> 16 & 0xff)
                               .arg(ipv4 >> 8 & 0xff)
                               .arg(ipv4 & 0xff)
                        << port;
        return;
    case DatagramSocket::SendResult::Unreachable:
        qCInfo(lcLink) << "cannot send:" << socketErrorText();
        unreachable();
        return;
    case DatagramSocket::SendResult::Failed:
        break;
    }
    throw RuntimeFailure(m_socket.socket().errorNumber(), socketErrorText());
}

void RconLink::unreachable()
{
    m_readers.ResetToOffline();
    m_requests.write(Outcome::Failed);
    m_cues.PlayCue(CueFailure);
    m_notices.ShowNotice(kUnreachable, NoticeWarning, QStringLiteral("Warning"));
}

void RconLink::onReadable()
{
    // Everything waiting is taken before anything is handled: a handler may wait for further replies, and
    // the socket reports them inside that wait only once it holds nothing older.
    m_socket.takeArrivals();
    dispatchArrivals();
}

void RconLink::postDispatch()
{
    if (m_dispatchPosted)
        return;
    m_dispatchPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_dispatchPosted = false;
        dispatchArrivals();
    });
}

void RconLink::dispatchArrivals()
{
    // Each arrival is its own event, as if the socket had reported it alone; its failure does not hold up
    // the ones after it.
    while (const std::optional<RconSocket::Received> next = m_socket.next()) {
        switch (next->kind) {
        case DatagramSocket::Arrival::Kind::Datagram:
            if (next->counts)
                m_trap.run([this, &next] { handleReply(next->text); });
            break;
        case DatagramSocket::Arrival::Kind::Refused:
            m_trap.run([this] {
                connectionRefused();
                m_requests.settle();
            });
            break;
        case DatagramSocket::Arrival::Kind::Unreachable:
            m_trap.run([this] {
                unreachable();
                m_requests.settle();
            });
            break;
        }
    }
}

void RconLink::handleReply(const QString& s)
{
    const RequestScheduler::ReplyHandling handling(m_requests);
    try {
        if (const std::optional<Outcome> outcome = readReply(s))
            m_requests.write(*outcome);
    } catch (const RuntimeFailure& failure) {
        // A cut with a negative length: a marker the reading needs is missing, so the reply is unreadable.
        if (failure.number() != RuntimeFailure::InvalidCall)
            throw;
        qCInfo(lcLink) << "unreadable reply:" << failure.description();
        m_readers.ResetToOffline();
        m_requests.write(Outcome::Failed);
    }
    m_requests.settle();
}

std::optional<Outcome> RconLink::readReply(const QString& s)
{
    const rcon::ReplyKind kind = rcon::classifyReply(s, m_requests.pending().isEmpty());
    qCDebug(lcLink) << "reply of" << s.size() << "characters:" << int(kind);
    switch (kind) {
    case rcon::ReplyKind::BadLength:
        return Outcome::Failed;
    case rcon::ReplyKind::Challenge:
        m_lastChallenge = rcon::cutChallenge(s);
        if (!m_lastChallenge.isEmpty())
            SendDatagram(rcon::commandLine(m_lastChallenge, m_fields.passwordText(),
                                           m_requests.pending().commandText()));
        return Outcome::CommandSent;
    case rcon::ReplyKind::StatusReport:
        return m_readers.statusReportArrived(s);
    case rcon::ReplyKind::RecordingStarted:
        return m_readers.recordingStartedArrived();
    case rcon::ReplyKind::RecordingCompleted:
        return m_readers.recordingCompletedArrived();
    case rcon::ReplyKind::Unrecognised:
        m_cues.PlayCue(CueFailure);
        return Outcome::Failed;
    }
    return std::nullopt;
}

void RconLink::connectionRefused()
{
    // The proxy's host refused a datagram. The socket is opened afresh; a waiting request goes on waiting.
    qCInfo(lcLink) << "datagram refused by the remote host; binding the socket again";
    m_socket.close();
    const BindResult result = bindSocket(m_boundPort);
    if (result == BindResult::PortInUse) {
        m_notices.ShowNotice(portsInUseText(), NoticeWarning, QStringLiteral("Warning"));
        Q_EMIT mustEnd();
        return;
    }
    if (result == BindResult::Failed)
        throw RuntimeFailure(m_socket.socket().errorNumber(), socketErrorText());
    m_notices.ShowNotice(QStringLiteral("Fixing connection reset occurrence   "), NoticeWarning,
                         QStringLiteral("Warning"));
}

void RconLink::onSocketFailed()
{
    qCWarning(lcLink) << "socket error" << m_socket.socket().errorNumber() << socketErrorText();
    m_notices.ShowNotice(socketFailureText(socketErrorText()), NoticeWarning, QStringLiteral("Error"));
    Q_EMIT mustEnd();
}

} // namespace spectrel
