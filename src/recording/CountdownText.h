#pragma once

#include <QString>

#include <cstdint>

// What a delay-aware start or stop shows while it counts the broadcast delay down, without timers.
namespace spectrel::countdown {

enum Mode : std::uint8_t { None = 0, Start = 1, Stop = 2 };

// "Recording in 5 seconds..." / "Finishing in 5 seconds..." (the same " seconds..." after 1).
QString counting(std::uint8_t mode, std::int16_t seconds);
// "Recording..." / "Finishing...": the delay has passed; the command goes out at the next tick.
QString lastSecond(std::uint8_t mode);

// The delay to count down, read from the delay label ("30 seconds"): the text before the blank in front of
// "seconds", read as a number (blanks, tabs and line feeds ignored; none gives 0) and rounded to a whole
// number, halves to even. A label without "seconds" fails with InvalidCall, a delay beyond 16 bits with
// Overflow.
std::int16_t delaySeconds(const QString& delayLabel);

} // namespace spectrel::countdown
