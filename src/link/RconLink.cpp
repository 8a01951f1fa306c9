#include "link/RconLink.h"

#include "core/Clock.h"
#include "core/Cues.h"
#include "core/ErrorTrap.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "core/ProgramTitle.h"
#include "link/ConnectionFields.h"
#include "link/HostLookup.h"
#include "link/RconProtocol.h"
#include "text/CodePage.h"
#include "text/TextRules.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>

namespace spectrel {

// A request's time-out, kept for the next request once this one is over.
struct RconLink::Waiter {
    std::unique_ptr<Timer> Timer2;
    Request* owner = nullptr;
};

struct RconLink::Request {
    QString command;
    QString doneCode;
    QString slot;
    Waiter* waiter = nullptr;
    bool finished = false;

    bool ended() const { return slot == doneCode || slot == rcon::kError; }
    Timer& Timer2() const { return *waiter->Timer2; }
};

namespace {

const QString kUnreachable = QStringLiteral("No internet connection or HLTV server not running   ");

// Handled in one go, at most; the socket reports again for the rest.
constexpr std::size_t kLargestTake = 256;

// The code page and Latin-1 differ only in 0x80..0x9F: a datagram without those bytes, as the proxy's replies
// are, converts in one go.
QString replyText(const QByteArray& datagram)
{
    const bool latin1 = std::none_of(datagram.begin(), datagram.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) <= 0x9F;
    });
    return latin1 ? QString::fromLatin1(datagram) : rcon::datagramText(datagram);
}

// The datagram for `text`, framed as rcon::frameDatagram() does, into a buffer that keeps its capacity.
void frameInto(QByteArray& out, const QString& text)
{
    out.resize(4 + text.size() + 1);
    char* at = out.data();
    at = std::fill_n(at, 4, '\xFF');
    for (QChar c : text)
        *at++ = char(text::codePageCode(c));
    *at = '\0';
}

} // namespace

RconLink::RconLink(const Services& services, ReplyReaders& readers, QObject* parent)
    : QObject(parent), m_fields(services.fields), m_readers(readers), m_notices(services.notices),
      m_cues(services.cues), m_trap(services.trap), m_clock(services.clock)
{
    connect(&m_socket, &DatagramSocket::readable, this, [this] { m_trap.run([this] { ws_DataArrival(); }); });
    connect(&m_socket, &DatagramSocket::failed, this, [this] { m_trap.run([this] { ws_Error(); }); });
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
    const DatagramSocket::BindResult result = m_socket.bind(port);
    if (result != DatagramSocket::BindResult::Bound) {
        qCWarning(lcLink) << "cannot bind local port" << port << m_socket.errorText();
        return result == DatagramSocket::BindResult::PortInUse ? BindResult::PortInUse : BindResult::Failed;
    }
    m_boundPort = port;
    qCDebug(lcLink) << "bound to local port" << m_socket.localPort();
    return BindResult::Bound;
}

void RconLink::closeSocket()
{
    m_socket.close();
    clearInbox();
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
    const bool handlerWillSettle = m_dispatchDepth > 0 && level() == m_dispatchLevel;
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

RconLink::Level RconLink::level() const
{
    return {thread()->loopLevel(), m_waits};
}

bool RconLink::childMayStart() const
{
    // Only a request that a reply handler starts itself, not one started by some event that a wait inside the
    // handler lets through: those run one event-loop level deeper.
    return m_dispatchDepth > 0 && level() == m_dispatchLevel;
}

RconLink::Waiter& RconLink::takeWaiter(Request& r)
{
    if (m_freeWaiters.empty()) {
        auto made = std::make_unique<Waiter>();
        Waiter* w = made.get();
        w->Timer2 = m_clock.createTimer();
        w->Timer2->setSingleShot(true);
        w->Timer2->setInterval(kTimeoutMs);
        connect(w->Timer2.get(), &Timer::timeout, this, [this, w] {
            m_trap.run([this, w] {
                if (w->owner)
                    Timer2_Timer(*w->owner);
            });
        });
        m_waiters.push_back(std::move(made));
        m_freeWaiters.push_back(w);
    }
    Waiter& w = *m_freeWaiters.back();
    m_freeWaiters.pop_back();
    w.owner = &r;
    r.waiter = &w;
    return w;
}

bool RconLink::request(const QString& command, const QString& doneCode)
{
    Request r;
    r.command = command;
    r.doneCode = doneCode;
    Waiter& waiter = takeWaiter(r);
    struct GiveBack {
        RconLink* self;
        Waiter& waiter;
        ~GiveBack()
        {
            waiter.Timer2->stop();
            waiter.owner = nullptr;
            self->m_freeWaiters.push_back(&waiter);
        }
    } giveBack{this, waiter};

    try {
        if ((m_active.empty() && m_queue.empty()) || childMayStart()) {
            start(r);
        } else {
            qCDebug(lcLink) << "queued" << command << "behind" << waitingRequests() << "request(s)";
            m_queue.push_back(&r);
        }
        settle();
        if (!r.finished && m_inboxCount > 0)
            postDispatch(); // what arrived before this wait is handled inside it, before what comes next
        // Events are processed here as in an event loop of its own, without the wake-up that leaving one
        // costs: every event that ends the wait is one the processing returns after.
        ++m_waits;
        struct Unwind {
            int& waits;
            ~Unwind() { --waits; }
        } unwind{m_waits};
        while (!r.finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
        m_active.back()->Timer2().stop(); // the handler of that reply runs us; its own time-out waits for us
    m_active.push_back(&r);
    r.Timer2().start();
    r.slot = r.command;
    SendDatagram(rcon::challengeRequest());
}

void RconLink::finish(Request& r)
{
    if (r.finished)
        return;
    r.finished = true;
    r.Timer2().stop();
    const auto at = std::find(m_active.begin(), m_active.end(), &r);
    const bool wasOnTop = at != m_active.end() && at + 1 == m_active.end();
    if (at != m_active.end())
        m_active.erase(at);

    if (wasOnTop && !m_active.empty()) {
        // A nested request leaves its outcome in the slot of the request whose reply handler started it.
        Request& parent = *m_active.back();
        parent.slot = r.slot;
        if (parent.ended())
            finish(parent);
        else if (!parent.Timer2().isActive())
            parent.Timer2().start();
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
    }
    while (!m_active.empty()) {
        Request& r = *m_active.back();
        m_active.pop_back();
        r.slot = rcon::kError;
        r.finished = true;
        r.Timer2().stop();
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

    const QString portText = m_fields.portText();
    if (portText != m_portText || m_portText.isNull()) {
        try {
            m_port = text::toInt32(portText);
            m_portText = portText;
        } catch (const RuntimeFailure& failure) {
            if (failure.number() != RuntimeFailure::TypeMismatch)
                throw;
            m_cues.PlayCue(CueFailure);
            m_notices.ShowNotice(QStringLiteral("Invalid server or port specified   "), NoticeWarning,
                                 QStringLiteral("Warning"));
            m_fields.clearServerAndPort();
            return;
        }
    }

    quint32 address = 0;
    if (m_port < 1 || m_port > 65535 || !resolveRemote(address)) {
        unreachable();
        return;
    }

    frameInto(m_sendBuffer, text);
    switch (m_socket.send(m_sendBuffer, address, quint16(m_port))) {
    case DatagramSocket::SendResult::Sent:
        qCDebug(lcLink) << "sent" << text.left(5) << "to" << QHostAddress(address).toString() << m_port;
        return;
    case DatagramSocket::SendResult::Unreachable:
        qCInfo(lcLink) << "cannot send:" << m_socket.errorText();
        unreachable();
        return;
    case DatagramSocket::SendResult::Failed:
        break;
    }
    throw RuntimeFailure(m_socket.errorNumber(), m_socket.errorText());
}

bool RconLink::resolveRemote(quint32& address)
{
    const QString name = m_fields.serverText();
    if (name == m_remoteName && !m_remoteName.isNull()) {
        address = m_remoteAddress;
        return true;
    }
    const auto found = [&](const QHostAddress& a) {
        m_remoteName = name;
        m_remoteAddress = a.toIPv4Address();
        address = m_remoteAddress;
        return true;
    };
    QHostAddress literal;
    if (literal.setAddress(name))
        return literal.protocol() == QAbstractSocket::IPv4Protocol && found(literal);

    // The lookup may take a while: wait for it with events flowing, never longer than a request would.
    if (const std::optional<quint32> looked = lookUpIPv4(name, m_clock, kTimeoutMs))
        return found(QHostAddress(*looked));
    qCInfo(lcLink) << "cannot resolve" << name;
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
    // Everything waiting is taken before anything is handled: a handler may wait for further replies, and
    // the socket reports them inside that wait only once it holds nothing older.
    takeArrivals();
    dispatchInbox();
}

void RconLink::takeArrivals()
{
    constexpr std::size_t kRoom = 4;
    for (std::size_t taken = 0; taken < kLargestTake;) {
        if (m_inbox.size() - m_inboxCount < kRoom) {
            std::rotate(m_inbox.begin(), m_inbox.begin() + std::ptrdiff_t(m_inboxHead), m_inbox.end());
            m_inboxHead = 0;
            m_inbox.resize(m_inboxCount + kRoom);
        }
        std::array<DatagramSocket::Arrival*, kRoom> room{};
        for (std::size_t i = 0; i < kRoom; ++i)
            room[i] = &m_inbox[(m_inboxHead + m_inboxCount + i) % m_inbox.size()];
        const int received = m_socket.receive(room.data(), int(kRoom));
        m_inboxCount += std::size_t(received);
        taken += std::size_t(received);
        if (received < int(kRoom))
            return;
    }
}

void RconLink::postDispatch()
{
    if (m_dispatchPosted)
        return;
    m_dispatchPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_dispatchPosted = false;
        dispatchInbox();
    });
}

void RconLink::dispatchInbox()
{
    // Each arrival is its own event, as if the socket had reported it alone; its failure does not hold up
    // the ones after it.
    while (m_inboxCount > 0) {
        DatagramSocket::Arrival& next = m_inbox[m_inboxHead];
        const DatagramSocket::Arrival::Kind kind = next.kind;
        // Only IPv4 senders count. Their dotted form is never shorter than seven characters ("0.0.0.0"), so
        // it need not be made to be measured.
        const bool counts = kind == DatagramSocket::Arrival::Kind::Datagram && next.fromIPv4;
        const QString text = counts ? replyText(next.data) : QString();
        m_inboxHead = (m_inboxHead + 1) % m_inbox.size();
        --m_inboxCount;
        switch (kind) {
        case DatagramSocket::Arrival::Kind::Datagram:
            if (counts)
                m_trap.run([this, &text] { handleReply(text); });
            break;
        case DatagramSocket::Arrival::Kind::Refused:
            m_trap.run([this] {
                connectionRefused();
                settle();
            });
            break;
        case DatagramSocket::Arrival::Kind::Unreachable:
            m_trap.run([this] {
                unreachable();
                settle();
            });
            break;
        }
    }
}

void RconLink::handleReply(const QString& s)
{
    const Level savedLevel = m_dispatchLevel;
    ++m_dispatchDepth;
    m_dispatchLevel = level();
    struct Restore {
        RconLink* self;
        Level level;
        ~Restore()
        {
            --self->m_dispatchDepth;
            self->m_dispatchLevel = level;
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
            setPendingCommand(rcon::kCommandSent);
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
    m_socket.close();
    clearInbox();
    const BindResult result = bindSocket(m_boundPort);
    if (result == BindResult::PortInUse) {
        m_notices.ShowNotice(portsInUseText(), NoticeWarning, QStringLiteral("Warning"));
        Q_EMIT mustEnd();
        return;
    }
    if (result == BindResult::Failed)
        throw RuntimeFailure(m_socket.errorNumber(), m_socket.errorText());
    m_notices.ShowNotice(QStringLiteral("Fixing connection reset occurrence   "), NoticeWarning,
                         QStringLiteral("Warning"));
}

void RconLink::ws_Error()
{
    qCWarning(lcLink) << "socket error" << m_socket.errorNumber() << m_socket.errorText();
    m_notices.ShowNotice(QStringLiteral("Socket error occured:\r\n") + m_socket.errorText(), NoticeWarning,
                         QStringLiteral("Error"));
    Q_EMIT mustEnd();
}

} // namespace spectrel
