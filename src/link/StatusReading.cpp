#include "link/StatusReading.h"

#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

namespace spectrel {

namespace {

using namespace spectrel::text;

// Step 3 of the reading: the spectator count that follows "Total Slots".
void readSpectators(QString& r, SpectatorWatch& watch)
{
    watch.check = false;
    r = from(r, find(r, u"Total Slots") + 12);
    r = from(r, find(r, u"Spectators ") + 11);
    int n = 0;
    if (isDigitAt(r, 3))
        n = 3;
    else if (isDigitAt(r, 2))
        n = 2;
    else if (isDigitAt(r, 1))
        n = 1;
    if (n == 0)
        return;
    const std::int16_t c = roundToInt16(statusNumber(left(r, n)));
    if (c != watch.count) {
        watch.count = c;
        watch.check = true;
    }
}

// While the text is too wide, drop its last blank and everything after it.
QString fitToPanel(QString s, const TextWidth& widthTwips)
{
    while (widthTwips(s) > kStatusTextWidthTwips)
        s = left(s, findLast(s, u" ") - 1);
    return s;
}

QString mapText(const QString& name)
{
    if (charAt(name, 3) != u'_')
        return name;
    QString out = name;
    out[0] = out[0].toUpper();
    if (out.size() >= 4)
        out[3] = out[3].toUpper();
    return out;
}

void readConnected(QString r, StatusReading& out, CountdownMode countdown, const TextWidth& widthTwips)
{
    r = from(r, find(r, u"Connected to Game Server") + 25);

    const int d = find(r, u", Delay");
    QString server = QStringLiteral(" (") + left(r, d - 1) + QStringLiteral(")");
    r = from(r, d + 8);

    const int n = find(r, u"Server Name");
    const QString delay = left(r, n - 2);
    out.delay = delay + QStringLiteral(" seconds");
    out.delaySeconds = leadingNumber(delay);
    r = from(r, n + 13);

    const int g = find(r, u"Game Time");
    server = left(r, g - 3) + server;
    out.server = fitToPanel(server, widthTwips);

    r = from(r, g + 10);
    r = from(r, find(r, u"Map") + 5);
    const int b = find(r, u".bsp");
    const QString map = left(r, b - 1);
    out.map = mapText(map) + QStringLiteral(" / ");

    r = from(r, find(r, u", Players") + 10);
    const std::int16_t k = roundToInt16(statusNumber(left(r, isDigitAt(r, 2) ? 2 : 1)));
    // The proxy is itself a client of the game server and counts among its players: one less are playing.
    out.map += QString::number(int(k) - 1);

    const int rec = find(r, u"Recording to");
    if (rec > 0) {
        out.recording = true;
        r = from(r, rec + 13);
        QString demo = left(r, find(r, u", Length") - 1);
        if (countdown == CountdownMode::Stop)
            return;
        // The page and the colour change before the name is shortened, so also when shortening fails.
        out.showDemoPage = true;
        out.demo = StatusReading::Demo::Recording;
        if (widthTwips(QStringLiteral("Recording ") + demo) > kStatusTextWidthTwips) {
            const int second = find(demo, u"-", find(demo, u"-") + 1);
            demo = left(demo, second - 1) + QStringLiteral("-...-.dem");
        }
        out.demoText = QStringLiteral("Recording ") + demo;
    } else {
        out.recording = false;
        if (countdown == CountdownMode::Start)
            return;
        out.demo = StatusReading::Demo::NotRecording;
        out.demoText = QStringLiteral("(not recording)");
    }
}

} // namespace

StatusReading readStatusReport(const QString& s, SpectatorWatch& watch, CountdownMode countdown,
                               const TextWidth& widthTwips)
{
    StatusReading out;
    try {
        QString r = from(s, find(s, u"--- HLTV Status ---") + 20);
        if (!contains(r, u"Connected to Game Server")) {
            watch.check = false;
            out.outcome = StatusReading::Outcome::NoGameServer;
            return out;
        }
        if (watch.check)
            readSpectators(r, watch);
        readConnected(r, out, countdown, widthTwips);
        out.outcome = StatusReading::Outcome::Connected;
    } catch (const RuntimeFailure& failure) {
        // Only a cut with a negative length makes a report unreadable; anything else is unexpected.
        if (failure.number() != RuntimeFailure::InvalidCall)
            throw;
        const bool showDemoPage = out.showDemoPage;
        out = StatusReading{};
        out.showDemoPage = showDemoPage;
        out.failure = failure.description();
    }
    return out;
}

} // namespace spectrel
