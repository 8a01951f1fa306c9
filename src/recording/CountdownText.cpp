#include "recording/CountdownText.h"

#include "text/TextRules.h"

namespace spectrel::countdown {

QString counting(std::uint8_t mode, std::int16_t seconds)
{
    return (mode == Start ? QStringLiteral("Recording in ") : QStringLiteral("Finishing in ")) +
           QString::number(seconds) + QStringLiteral(" seconds...");
}

QString lastSecond(std::uint8_t mode)
{
    return mode == Start ? QStringLiteral("Recording...") : QStringLiteral("Finishing...");
}

std::int16_t delaySeconds(const QString& delayLabel)
{
    const int p = text::find(delayLabel, u"seconds");
    return text::roundToInt16(text::leadingNumber(text::left(delayLabel, p - 2)));
}

} // namespace spectrel::countdown
