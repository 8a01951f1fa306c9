// The instance channel on Linux: a Unix stream socket at the path where Qt's local socket looks for it (the
// temporary folder and the channel's name), served with the system's socket calls and Qt's socket notifiers.

#include "shell/SingleInstance.h"

#include "core/InstanceChannel.h"
#include "core/Logging.h"

#include <QDir>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace spectrel {

namespace {

// The path Qt's local socket connects to for `name`.
QByteArray channelPath(const QString& name)
{
    if (name.startsWith(u'/'))
        return QFile::encodeName(name);
    return QFile::encodeName(QDir::cleanPath(QDir::tempPath()) + u'/' + name);
}

// A stream socket's address at `path`; false when the path does not fit one.
bool unixAddress(const QByteArray& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Hands `message` to a copy listening at `path`; false when none answers there.
bool handOver(const QByteArray& path, const QByteArray& message)
{
    sockaddr_un address;
    if (!unixAddress(path, address))
        return false;
    const Descriptor s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (s.get() < 0)
        return false;
    const timeval limit{1, 0};
    ::setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false; // no file (no copy ran), or one a crashed copy left behind
    const QByteArray line = message + '\n';
    qsizetype sent = 0;
    while (sent < line.size()) {
        const ssize_t n =
            ::send(s.get(), line.constData() + sent, std::size_t(line.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the running copy went away meanwhile; this copy still ends, as a second copy does
        sent += n;
    }
    return true;
}

// A listening socket at `path` that only this user can reach: made in a private folder beside it, then put in
// place in one step, which also replaces a socket file a crashed copy left behind.
int listenAt(const QByteArray& path)
{
    sockaddr_un address;
    if (!unixAddress(path, address))
        return -1;
    QByteArray folder = path + ".XXXXXX";
    if (!::mkdtemp(folder.data()))
        return -1;
    const QByteArray staged = folder + "/s";
    Descriptor s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un stagedAddress;
    const bool ready =
        s.get() >= 0 && unixAddress(staged, stagedAddress) &&
        ::bind(s.get(), reinterpret_cast<const sockaddr*>(&stagedAddress), sizeof stagedAddress) == 0 &&
        ::chmod(staged.constData(), S_IRUSR | S_IWUSR) == 0 && ::listen(s.get(), 16) == 0 &&
        ::rename(staged.constData(), path.constData()) == 0;
    ::unlink(staged.constData());
    ::rmdir(folder.constData());
    return ready ? s.release() : -1;
}

} // namespace

struct SingleInstance::Listener {
    struct Caller {
        Descriptor fd;
        ChannelLines lines;
        QSocketNotifier* readable = nullptr; // the window's child, deleted once its signal has returned

        ~Caller()
        {
            readable->setEnabled(false);
            readable->deleteLater();
        }
    };

    QByteArray path;
    Descriptor fd;
    std::unique_ptr<QSocketNotifier> incoming;
    std::map<int, std::unique_ptr<Caller>> callers;

    ~Listener()
    {
        callers.clear();
        incoming.reset();
        ::unlink(path.constData());
    }
};

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName()
{
    return instanceChannelName();
}

bool SingleInstance::claim(const QByteArray& message)
{
    const QByteArray path = channelPath(m_name);
    if (handOver(path, message))
        return false;

    m_listener = std::make_unique<Listener>();
    Listener& l = *m_listener;
    l.path = path;
    l.fd.reset(listenAt(path));
    if (l.fd.get() < 0) {
        qCWarning(lcShell).noquote() << "cannot listen at" << QFile::decodeName(path) << ":"
                                     << QString::fromLocal8Bit(std::strerror(errno));
        return true; // the window still runs; only a second copy cannot reach it
    }
    l.incoming = std::make_unique<QSocketNotifier>(l.fd.get(), QSocketNotifier::Read);
    connect(l.incoming.get(), &QSocketNotifier::activated, this, [this] {
        Listener& l = *m_listener;
        while (true) {
            const int fd = ::accept4(l.fd.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0)
                return;
            auto caller = std::make_unique<Listener::Caller>();
            caller->fd.reset(fd);
            caller->readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            connect(caller->readable, &QSocketNotifier::activated, this, [this, fd] {
                Listener& l = *m_listener;
                const auto found = l.callers.find(fd);
                if (found == l.callers.end())
                    return;
                Listener::Caller& c = *found->second;
                char buffer[512];
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n < 0 && (errno == EAGAIN || errno == EINTR))
                    return;
                if (n <= 0) {
                    l.callers.erase(found); // the caller hung up
                    return;
                }
                for (const QByteArray& line : c.lines.take(QByteArray(buffer, n))) {
                    Q_EMIT messageReceived(line);
                    // The sender learns that a running copy took the line.
                    [[maybe_unused]] const ssize_t answered = ::send(fd, "ok\n", 3, MSG_NOSIGNAL);
                }
            });
            l.callers.emplace(fd, std::move(caller));
        }
    });
    return true;
}

} // namespace spectrel
