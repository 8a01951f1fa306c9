#pragma once

#include <QString>

#include <optional>

namespace spectrel {

// How a request to the proxy ended, or how far it got.
enum class Outcome {
    CommandSent = 1,        // the challenge was answered with the command line; a say needs nothing more
    StatusRead = 2,         // a status report was read
    RecordingStarted = 3,   // "Recording initialized." confirmed by a fresh report
    RecordingCompleted = 4, // "Completed demo" confirmed likewise
    Failed,                 // no answer in time, an unreadable or unrecognised one, or the proxy is offline
};

// The exchange slot: empty before the first request, then the command of the request whose challenge is
// awaited, then how that exchange ended.
class PendingCommand {
public:
    PendingCommand() = default;
    static PendingCommand waitingFor(const QString& command) { return PendingCommand(command, std::nullopt); }
    static PendingCommand endedWith(Outcome outcome) { return PendingCommand(QString(), outcome); }

    bool isEmpty() const { return !m_outcome && m_command.isEmpty(); }
    std::optional<Outcome> outcome() const { return m_outcome; }
    bool operator==(const PendingCommand&) const = default;

    // The command a challenge is answered with. The slot once held text, and a challenge that arrives after
    // its request ended (a late one) was answered with whatever the slot held then: an outcome goes out as
    // it was written, the number of the step or "error". The proxy refuses such a line; it is kept so that
    // the bytes on the wire stay as they always were.
    QString commandText() const
    {
        if (!m_outcome)
            return m_command;
        return *m_outcome == Outcome::Failed ? QStringLiteral("error") : QString::number(int(*m_outcome));
    }

private:
    PendingCommand(QString command, std::optional<Outcome> outcome)
        : m_command(std::move(command)), m_outcome(outcome)
    {
    }
    QString m_command;
    std::optional<Outcome> m_outcome;
};

} // namespace spectrel
