#pragma once

#include "link/Countdown.h"

#include <QString>

#include <cstdint>

// What a delay-aware start or stop shows while it counts the broadcast delay down, without timers.
namespace spectrel::countdown {

// "Recording in 5 seconds..." / "Finishing in 5 seconds..." (the same " seconds..." after 1).
QString counting(CountdownMode mode, std::int16_t seconds);
// "Recording..." / "Finishing...": the delay has passed; the command goes out at the next tick.
QString lastSecond(CountdownMode mode);

} // namespace spectrel::countdown
