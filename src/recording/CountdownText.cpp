#include "recording/CountdownText.h"

namespace spectrel::countdown {

QString counting(CountdownMode mode, std::int16_t seconds)
{
    return (mode == CountdownMode::Start ? QStringLiteral("Recording in ")
                                         : QStringLiteral("Finishing in ")) +
           QString::number(seconds) + QStringLiteral(" seconds...");
}

QString lastSecond(CountdownMode mode)
{
    return mode == CountdownMode::Start ? QStringLiteral("Recording...") : QStringLiteral("Finishing...");
}

} // namespace spectrel::countdown
