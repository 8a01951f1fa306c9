#include "link/HostLookup.h"

#include "core/Clock.h"
#include "core/Logging.h"

#include <QEventLoop>
#include <QMetaObject>

#include <memory>
#include <mutex>
#include <thread>

namespace spectrel {

namespace {

// What the lookup thread and the waiting caller share; the thread keeps it alive after the caller gave up.
struct Lookup {
    std::mutex mutex;
    bool done = false;
    std::optional<quint32> address;
    QEventLoop* waiting = nullptr; // set while the caller waits
};

} // namespace

std::optional<quint32> readIPv4Literal(QStringView text)
{
    const QString a = text.toString().simplified();
    if (a.isEmpty() || a.size() > 15)
        return std::nullopt;
    quint64 address = 0;
    int dots = 0;
    qsizetype at = 0;
    while (true) {
        const qsizetype start = at;
        quint64 part = 0;
        for (; at < a.size() && a[at] >= u'0' && a[at] <= u'9'; ++at) {
            part = part * 10 + quint64(a[at].unicode() - u'0');
            if (part > 0xffffffffu)
                return std::nullopt;
        }
        if (at == start)
            return std::nullopt;
        if (at == a.size()) { // the last part fills the bytes that remain
            const int bits = 8 * (4 - dots);
            if (part >> bits)
                return std::nullopt;
            return quint32(address << bits | part);
        }
        if (a[at] != u'.' || dots == 3 || part > 0xff)
            return std::nullopt;
        address = address << 8 | part;
        ++dots;
        ++at;
    }
}

std::optional<quint32> lookUpIPv4(const QString& name, Clock& clock, int limitMs)
{
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, name] {
        const std::optional<quint32> address = resolveIPv4(name);
        const std::lock_guard lock(lookup->mutex);
        lookup->address = address;
        lookup->done = true;
        if (lookup->waiting)
            QMetaObject::invokeMethod(lookup->waiting, &QEventLoop::quit, Qt::QueuedConnection);
    }).detach();

    QEventLoop wait;
    const std::unique_ptr<Timer> limit = clock.createTimer();
    limit->setSingleShot(true);
    limit->setInterval(limitMs);
    QObject::connect(limit.get(), &Timer::timeout, &wait, &QEventLoop::quit);
    {
        const std::lock_guard lock(lookup->mutex);
        if (lookup->done)
            return lookup->address;
        lookup->waiting = &wait;
    }
    limit->start();
    wait.exec();
    const std::lock_guard lock(lookup->mutex);
    lookup->waiting = nullptr;
    if (!lookup->done)
        qCInfo(lcLink) << "lookup of" << name << "took too long";
    return lookup->done ? lookup->address : std::nullopt;
}

} // namespace spectrel
