#pragma once

#include <QByteArray>

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

} // namespace spectrel::bench
