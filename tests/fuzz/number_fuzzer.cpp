// Texts through every number reading: the numbers of the status report (the delay among them) and the update
// file, and the whole-text conversions the settings and the port field use. Each reading either gives a
// number or fails with the failure it documents; a single-precision value the store writes must read back.

#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>

using namespace spectrel;

namespace {

// Runs `read`; a failure other than the ones allowed is a bug.
void expect(const std::function<void()>& read, std::initializer_list<int> allowed)
{
    try {
        read();
    } catch (const RuntimeFailure& failure) {
        for (int number : allowed) {
            if (failure.number() == number)
                return;
        }
        __builtin_trap();
    }
}

void rounded(double value)
{
    expect([value] { (void)text::roundToInt16(value); }, {RuntimeFailure::Overflow});
    expect([value] { (void)text::roundToInt32(value); }, {RuntimeFailure::Overflow});
    expect([value] { (void)text::roundToByte(value); }, {RuntimeFailure::Overflow});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString s = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr int kOverflow = RuntimeFailure::Overflow;
    constexpr int kMismatch = RuntimeFailure::TypeMismatch;

    rounded(text::leadingNumber(s));
    rounded(text::statusNumber(s));
    rounded(text::releaseNumber(s));
    expect([&] { (void)text::toInt16(s); }, {kMismatch, kOverflow});
    expect([&] { (void)text::toInt32(s); }, {kMismatch, kOverflow});
    expect([&] { (void)text::toBoolean(s); }, {kMismatch});
    expect(
        [&] {
            const float value = text::toSingle(s);
            // Left and Top go back to the store in this form and are read again at the next start.
            const float again = text::toSingle(text::singleText(value));
            if (std::fabs(double(again) - double(value)) > 1e-6 * std::fabs(double(value)))
                __builtin_trap();
        },
        {kMismatch, kOverflow});
    return 0;
}
