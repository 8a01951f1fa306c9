#pragma once

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

// Small helpers the benchmarks share: the process's CPU clock, percentiles and the key=value output.
namespace spectrel::bench {

// CPU time of the whole process (every thread), in nanoseconds.
inline std::int64_t processCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// User and system CPU time of the whole process, in nanoseconds: where the CPU went, in user code or in the
// kernel.
struct CpuSplit {
    std::int64_t userNs = 0;
    std::int64_t systemNs = 0;
};
inline CpuSplit processCpuSplit()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval& t) {
        return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_usec * 1000;
    };
    return {ns(usage.ru_utime), ns(usage.ru_stime)};
}

// The nearest-rank percentile (0 < p <= 100) of `samples`, which it sorts; 0 when there are none.
inline double percentile(std::vector<std::int64_t>& samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank = std::size_t(std::ceil(p / 100.0 * double(samples.size())));
    return double(samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1]);
}

inline void printFigure(const QByteArray& key, double value)
{
    std::printf("%s=%.2f\n", key.constData(), value);
}
inline void printCount(const QByteArray& key, long long value)
{
    std::printf("%s=%lld\n", key.constData(), value);
}

struct Series {
    std::vector<std::int64_t> wallNs;
    std::int64_t cpuNs = 0;
    std::int64_t userNs = 0;
    std::int64_t systemNs = 0;
    int errors = 0;
};

// Runs `count` requests of one client into `series`: each request's wall time, and the CPU of the whole
// block.
template <typename Request> inline void runBlock(int count, Series& series, Request request)
{
    QElapsedTimer timer;
    const CpuSplit splitBefore = processCpuSplit();
    const std::int64_t cpuBefore = processCpuNs();
    for (int i = 0; i < count; ++i) {
        timer.start();
        const bool ok = request();
        series.wallNs.push_back(timer.nsecsElapsed());
        series.errors += ok ? 0 : 1;
    }
    series.cpuNs += processCpuNs() - cpuBefore;
    const CpuSplit splitAfter = processCpuSplit();
    series.userNs += splitAfter.userNs - splitBefore.userNs;
    series.systemNs += splitAfter.systemNs - splitBefore.systemNs;
}

// The figures of one client: p50/p99 wall time and CPU per request, and when the number of exchanges
// (request datagram and reply) a request takes is given, the same figures divided by it.
inline void printSeries(const char* name, Series& s, int exchangesPerRequest = 0)
{
    const double requests = double(s.wallNs.size());
    const QByteArray prefix(name);
    printFigure(prefix + "_p50_us", percentile(s.wallNs, 50) / 1000.0);
    printFigure(prefix + "_p99_us", percentile(s.wallNs, 99) / 1000.0);
    printFigure(prefix + "_cpu_us_per_request", double(s.cpuNs) / requests / 1000.0);
    // The split comes from getrusage, which is coarser than the CPU clock; it shows where the time goes.
    printFigure(prefix + "_user_cpu_us_per_request", double(s.userNs) / requests / 1000.0);
    printFigure(prefix + "_system_cpu_us_per_request", double(s.systemNs) / requests / 1000.0);
    if (exchangesPerRequest > 0) {
        const double n = exchangesPerRequest;
        printCount(prefix + "_exchanges_per_request", exchangesPerRequest);
        printFigure(prefix + "_p50_us_per_exchange", percentile(s.wallNs, 50) / 1000.0 / n);
        printFigure(prefix + "_p99_us_per_exchange", percentile(s.wallNs, 99) / 1000.0 / n);
        printFigure(prefix + "_cpu_us_per_exchange", double(s.cpuNs) / requests / 1000.0 / n);
    }
    printCount(prefix + "_errors", s.errors);
}

} // namespace spectrel::bench
