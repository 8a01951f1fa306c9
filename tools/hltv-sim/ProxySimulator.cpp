#include "ProxySimulator.h"

#include "RconRequest.h"

#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace spectrel::sim {
namespace {

// Junk from many senders must not grow the challenge table without bound.
constexpr qsizetype kMaxChallenges = 4096;

QByteArray senderKey(const QHostAddress& address, quint16 port)
{
    return address.toString().toLatin1() + ':' + QByteArray::number(port);
}

QByteArray printable(QByteArray text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    }
    return text;
}

} // namespace

ProxySimulator::ProxySimulator(const SimulatorOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_game(options), m_silent(options.silent)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &ProxySimulator::readPendingDatagrams);
}

bool ProxySimulator::listen(QString* error)
{
    if (m_socket.bind(m_options.bindAddress, m_options.port))
        return true;
    if (error)
        *error = m_socket.errorString();
    return false;
}

void ProxySimulator::readPendingDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid())
            break;
        if (m_silent)
            continue;
        const std::optional<QByteArray> text = requestText(datagram.data());
        if (!text) {
            if (m_options.verbose)
                std::fprintf(stderr, "hltv-sim: ignored %lld bytes from %s\n",
                             static_cast<long long>(datagram.data().size()),
                             senderKey(datagram.senderAddress(), datagram.senderPort()).constData());
            continue;
        }
        handleRequest(*text, datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
    }
}

void ProxySimulator::handleRequest(const QByteArray& text, const QHostAddress& sender, quint16 senderPort)
{
    if (m_options.verbose)
        std::fprintf(stderr, "hltv-sim: <- %s %s\n", senderKey(sender, senderPort).constData(),
                     printable(text).constData());

    if (isChallengeRequest(text)) {
        answerChallenge(sender, senderPort);
        return;
    }
    const std::optional<RconLine> line = parseRconLine(text);
    // The proxy drops an rcon line without password or command unread.
    if (!line || line->command.trimmed().isEmpty()) {
        if (m_options.verbose)
            std::fprintf(stderr, "hltv-sim: not a complete rcon request, ignored\n");
        return;
    }
    // The challenge is checked before the password.
    if (!challengeValid(sender, line->challenge))
        return refuse("challenge", "Bad rcon_password.\nBad challenge.\n", sender, senderPort);
    if (m_options.password.isEmpty() || line->password != m_options.password)
        return refuse("password", "Bad rcon_password.\n", sender, senderPort);

    Q_EMIT commandAccepted(printable(line->command));
    QByteArray arguments;
    const QByteArray name = firstArgument(line->command, &arguments).toLower();
    const QByteArray localAddress =
        m_socket.localAddress().toString().toLatin1() + ':' + QByteArray::number(m_socket.localPort());
    const QByteArray answer = m_game.run(line->command, localAddress);
    if (!answer.isEmpty())
        reply(printReply(answer), sender, senderPort);
    // A line nobody asked for, as a game server's chat echo or a second admin's command output would be.
    if (name == "say" && m_options.sayEcho) {
        QByteArray said = arguments.trimmed();
        if (said.size() >= 2 && said.startsWith('"') && said.endsWith('"'))
            said = said.mid(1, said.size() - 2);
        reply(printReply("HLTV: " + said + "\n"), sender, senderPort);
    }
}

void ProxySimulator::refuse(const char* what, const QByteArray& reply, const QHostAddress& sender,
                            quint16 senderPort)
{
    std::fprintf(stderr, "Invalid rcon %s from: %s\n", what, senderKey(sender, senderPort).constData());
    if (m_options.gameServerReplies)
        this->reply(printReply(reply), sender, senderPort);
}

void ProxySimulator::answerChallenge(const QHostAddress& sender, quint16 senderPort)
{
    const QByteArray key = sender.toString().toLatin1();
    auto existing = m_challenges.find(key);
    // A challenge keeps its number until it expires; asking again does not extend it.
    if (existing == m_challenges.end() || existing->expiry.hasExpired()) {
        if (existing == m_challenges.end() && m_challenges.size() >= kMaxChallenges)
            forgetStaleChallenges();
        Challenge challenge;
        // Nine or ten digits, like the proxy's.
        challenge.value = QRandomGenerator::global()->bounded(100000000u, 4294967295u);
        challenge.expiry.setRemainingTime(std::chrono::milliseconds(m_options.challengeLifetimeMs));
        existing = m_challenges.insert(key, challenge);
    }
    reply(challengeReply(existing->value), sender, senderPort);
}

bool ProxySimulator::challengeValid(const QHostAddress& sender, const QByteArray& challenge) const
{
    const auto found = m_challenges.constFind(sender.toString().toLatin1());
    if (found == m_challenges.constEnd() || found->expiry.hasExpired())
        return false;
    if (challenge.size() > 10)
        return false;
    for (char c : challenge) {
        if (c < '0' || c > '9')
            return false;
    }
    bool ok = false;
    const qulonglong value = challenge.toULongLong(&ok);
    return ok && value == found->value;
}

void ProxySimulator::reply(const QByteArray& datagram, const QHostAddress& receiver, quint16 receiverPort)
{
    if (m_options.dropRate > 0 && QRandomGenerator::global()->generateDouble() < m_options.dropRate) {
        if (m_options.verbose)
            std::fprintf(stderr, "hltv-sim: reply dropped on purpose\n");
        return;
    }
    auto send = [this, datagram, receiver, receiverPort] {
        if (m_socket.writeDatagram(datagram, receiver, receiverPort) < 0)
            std::fprintf(stderr, "hltv-sim: sending a reply failed: %s\n",
                         qPrintable(m_socket.errorString()));
        else if (m_options.verbose)
            std::fprintf(stderr, "hltv-sim: -> %s %s\n", senderKey(receiver, receiverPort).constData(),
                         printable(datagram.mid(4)).constData());
    };
    if (m_options.replyDelayMs > 0)
        QTimer::singleShot(m_options.replyDelayMs, this, send);
    else
        send();
}

void ProxySimulator::forgetStaleChallenges()
{
    m_challenges.removeIf([](const std::pair<const QByteArray&, Challenge&>& entry) {
        return entry.second.expiry.hasExpired();
    });
    if (m_challenges.size() >= kMaxChallenges)
        m_challenges.clear();
}

} // namespace spectrel::sim
