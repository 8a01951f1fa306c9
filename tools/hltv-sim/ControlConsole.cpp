#include "ControlConsole.h"

#include "ProxySimulator.h"
#include "RconRequest.h"

#include <QByteArrayList>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

namespace spectrel::sim {
namespace {

// A line longer than this without an end is junk; it is thrown away rather than kept growing.
constexpr qsizetype kMaxLine = 65536;

enum class Result { Ok, Refused, Unknown };

bool readCount(const QByteArray& text, int& count)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 99999)
        return false;
    count = value;
    return true;
}

std::optional<bool> readSwitch(const QByteArray& text)
{
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    return std::nullopt;
}

void report(Result result, const QByteArray& line, const QByteArray& detail = {})
{
    switch (result) {
    case Result::Ok:
        std::fprintf(stderr, "ok: %s\n", line.constData());
        break;
    case Result::Refused:
        std::fprintf(stderr, "refused: %s: %s\n", line.constData(),
                     detail.trimmed().replace('\n', ' ').constData());
        break;
    case Result::Unknown:
        std::fprintf(stderr, "unknown control line: %s\n", line.constData());
        break;
    }
}

} // namespace

ControlConsole::ControlConsole(ProxySimulator& simulator, QObject* parent)
    : QObject(parent), m_simulator(simulator)
{
}

bool ControlConsole::start(int fd)
{
    if (::fcntl(fd, F_GETFL) == -1)
        return false;
    if (::isatty(fd) && ::tcgetpgrp(fd) != ::getpgrp())
        return false;
    m_fd = fd;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ControlConsole::readInput);
    return true;
}

void ControlConsole::readInput()
{
    char buffer[4096];
    // One read per wake-up: the notifier said data is there, so this does not block.
    const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        stopReading();
        return;
    }
    m_pending.append(buffer, count);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        apply(line);
    }
    if (m_pending.size() > kMaxLine) {
        std::fprintf(stderr, "hltv-sim: control line too long, dropped\n");
        m_pending.clear();
    }
}

void ControlConsole::stopReading()
{
    // Disabling first keeps a closed descriptor from waking the event loop again and again.
    m_notifier->setEnabled(false);
    std::fprintf(stderr, "hltv-sim: control input ended; still answering\n");
    if (!m_pending.isEmpty())
        apply(std::exchange(m_pending, {}));
}

void ControlConsole::apply(const QByteArray& rawLine)
{
    const QByteArray line = rawLine.trimmed();
    if (line.isEmpty())
        return;
    QByteArray rest;
    const QByteArray word = firstArgument(line, &rest);
    ProxyGame& game = m_simulator.game();

    if (word == "quit") {
        report(Result::Ok, line);
        Q_EMIT quitRequested();
        return;
    }
    if (word == "silent" || word == "game-server") {
        const std::optional<bool> on = readSwitch(rest);
        if (!on)
            return report(Result::Unknown, line);
        if (word == "silent")
            m_simulator.setSilent(*on);
        else
            game.setGameServer(*on);
        return report(Result::Ok, line);
    }
    // Another admin's commands: what the proxy prints goes to its console, here with the result.
    if (word == "record") {
        const bool wasRecording = game.isRecording();
        const QByteArray printed = game.record(rest);
        return report(!wasRecording && game.isRecording() ? Result::Ok : Result::Refused, line, printed);
    }
    if (word == "stoprecording" || word == "stop") {
        const bool wasRecording = game.isRecording();
        const QByteArray printed = game.stopRecording();
        return report(wasRecording ? Result::Ok : Result::Refused, line, printed);
    }
    if (word != "set")
        return report(Result::Unknown, line);

    QByteArray value;
    const QByteArray setting = firstArgument(rest, &value);
    int count = 0;
    if (setting == "spectators" && readCount(value, count)) {
        game.setSpectators(count);
    } else if (setting == "players" && readCount(value, count)) {
        game.setPlayers(count);
    } else if (setting == "delay") {
        bool ok = false;
        const double seconds = value.toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0)
            return report(Result::Unknown, line);
        game.setDelay(seconds);
    } else if (setting == "delay-text" && !value.isEmpty()) {
        game.setDelayText(value);
    } else if (setting == "map" && !value.isEmpty() && !value.contains(' ') && !value.contains('"')) {
        game.setMap(value);
    } else if (setting == "server-name" && !value.isEmpty()) {
        game.setServerName(value);
    } else {
        return report(Result::Unknown, line);
    }
    report(Result::Ok, line);
}

} // namespace spectrel::sim
