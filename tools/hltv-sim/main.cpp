#include "ControlConsole.h"
#include "ProxySimulator.h"
#include "SimulatorOptions.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

using namespace spectrel::sim;

namespace {

// Tests and scripts stop the simulator with SIGTERM or Ctrl+C; it must then leave through the event loop so
// that it ends with 0 and (under the sanitizers) without leak reports. The signals are blocked in every
// thread and read from a signalfd instead of being handled asynchronously.
int blockTerminationSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0)
        return -1;
    return signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

void printLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    // A reader that went away must not kill the proxy through a write to its pipe.
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = blockTerminationSignals();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hltv-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    SimulatorOptions options;
    const OptionsResult parsed = parseOptions(QCoreApplication::arguments(), options);
    if (parsed.outcome == OptionsResult::Outcome::ShowText) {
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    }
    if (parsed.outcome == OptionsResult::Outcome::Error) {
        std::fprintf(stderr, "hltv-sim: %s (try --help)\n", qPrintable(parsed.text));
        return 2;
    }

    ProxySimulator simulator(options);
    QString error;
    if (!simulator.listen(&error)) {
        std::fprintf(stderr, "hltv-sim: cannot bind %s:%u: %s\n", qPrintable(options.bindAddress.toString()),
                     unsigned(options.port), qPrintable(error));
        return 1;
    }
    QObject::connect(&simulator, &ProxySimulator::commandAccepted,
                     [](const QByteArray& command) { printLine("rcon " + command); });

    QSocketNotifier* signalNotifier = nullptr;
    if (signalFd >= 0) {
        signalNotifier = new QSocketNotifier(signalFd, QSocketNotifier::Read, &app);
        QObject::connect(signalNotifier, &QSocketNotifier::activated, &app, [signalFd] {
            signalfd_siginfo info;
            while (::read(signalFd, &info, sizeof info) == sizeof info) {
            }
            QCoreApplication::quit();
        });
    } else {
        std::fprintf(stderr, "hltv-sim: cannot watch for termination signals\n");
    }

    ControlConsole console(simulator);
    QObject::connect(&console, &ControlConsole::quitRequested, &app, &QCoreApplication::quit);
    if (options.readConsole && !console.start(STDIN_FILENO))
        std::fprintf(stderr, "hltv-sim: standard input is not readable here; control lines are off\n");

    printLine("listening " + simulator.localAddress().toString().toLatin1() + ':' +
              QByteArray::number(simulator.localPort()));
    const int result = app.exec();
    if (signalFd >= 0) {
        delete signalNotifier;
        ::close(signalFd);
    }
    return result;
}
