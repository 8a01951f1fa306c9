// Spectrel: records spectator demos on an HLTV proxy through its remote console.

#include "core/Logging.h"
#include "core/ProgramTitle.h"
#include "shell/CaptionStretchFile.h"
#include "shell/CommandLine.h"
#include "shell/HLTVForm.h"
#include "shell/IniSettingsStore.h"
#include "shell/MessageBoxNotices.h"
#include "shell/ModuleCues.h"
#include "shell/ProgramPictures.h"
#include "shell/SaveAtExit.h"
#include "shell/SingleInstance.h"
#include "shell/StartFailure.h"
#include "shell/TerminationSignals.h"
#include "shell/UserSettings.h"
#include "web/BuiltInAddresses.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

using namespace spectrel;

int main(int argc, char** argv)
{
    // Before the application object: answering these needs no display, and no settings are read.
    const CommandLine command = CommandLine::read(argc, argv);
    switch (command.request) {
    case CommandLine::Request::Help:
        std::fputs(qPrintable(CommandLine::helpText()), stdout);
        return 0;
    case CommandLine::Request::Version:
        std::printf("spectrel %s\n", qPrintable(programVersion()));
        return 0;
    case CommandLine::Request::BadUsage:
        std::fprintf(stderr, "spectrel: %s (spectrel --help tells more)\n", qPrintable(command.problem));
        return 2;
    case CommandLine::Request::OpenWindow:
        break;
    }

    notifyFatalMessages(); // a window that cannot open is reported where a menu user sees it
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(applicationTitle());
    // The sizes of a title bar; the larger ones, for task bars and switchers, come once the window is shown
    // (every size is read in full when the window is made).
    QGuiApplication::setWindowIcon(programIcon(32));
    // The desktop entry's name, by which a Wayland desktop and its portal know the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("spectrel"));

    // A second copy hands the first one the word to come to the front, or its trigger, and ends without a
    // trace.
    SingleInstance instance(SingleInstance::defaultName());
    if (!instance.claim(command.trigger.isEmpty() ? QByteArray("raise") : command.trigger))
        return 0;

    std::unique_ptr<IniSettingsStore> settings = openUserSettings();
    MessageBoxNotices notices;
    ModuleCues cues;
    CaptionStretchFile captionStretches;
    HLTVForm form(notices, cues, *settings, realClock(), systemClipboard(), systemHotkeys(),
                  desktopAddressOpener(), builtInAddresses(), &captionStretches);
    notices.setOwner(&form);

    // Ended from outside (a signal, the session's end, the display gone), nobody is there to answer a
    // notice: a failed save then only goes to the log.
    bool endedFromOutside = false;
    settings->onWriteFailure([&notices, &endedFromOutside](const QString& warning) {
        if (endedFromOutside)
            qCWarning(lcShell).noquote() << warning;
        else
            notices.ShowNotice(warning, NoticeWarning, QStringLiteral("Warning"));
    });
    auto endFromOutside = [&form, &endedFromOutside] {
        endedFromOutside = true;
        form.endProgram(0);
    };

    // A trigger (the menu entry's Record and Stop, `spectrel --trigger`, `spectrelctl trigger`) runs once
    // start-up has finished: one that comes earlier, or the one this copy was started with, waits for it.
    QList<int> waitingTriggers;
    if (const int hotkey = triggeredHotkeyId(command.trigger))
        waitingTriggers.append(hotkey);
    QObject::connect(&instance, &SingleInstance::messageReceived, &form,
                     [&form, &waitingTriggers](const QByteArray& message) {
                         const int hotkey = triggeredHotkeyId(message);
                         if (hotkey && !form.StartupDone) {
                             waitingTriggers.append(hotkey);
                             return;
                         }
                         // The caption a second copy looks for exists long before the window is shown (the
                         // welcome notice may be open): a window not yet shown stays hidden until start-up
                         // shows it, with its settings in place.
                         if (!form.StartupDone || !form.isVisible())
                             return;
                         if (message == "raise") {
                             form.showNormal();
                             form.raise();
                             form.activateWindow();
                         } else if (hotkey) {
                             // Runs once the channel has answered.
                             QTimer::singleShot(0, &form, [&form, hotkey] { form.Trigger(hotkey); });
                         }
                     });

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &form, endFromOutside);
    // The session manager asks for the program's data before the session ends: the shutdown saves it, and
    // the program ends right after answering.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&](QSessionManager&) {
        endedFromOutside = true;
        form.Form_Unload();
        QTimer::singleShot(0, &form, endFromOutside);
    });
    // Any other way out of the event loop still runs the shutdown (it runs only once).
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.Form_Unload(); });

    if (!settings->problem().isEmpty())
        notices.ShowNotice(settings->problem(), NoticeWarning, QStringLiteral("Warning"));
    if (!form.Form_Load())
        return endedFromOutside ? 0 : 1;
    // What the first frame does not need comes once the window is shown: the sounds, the large icons.
    QTimer::singleShot(0, &form, [&cues] {
        cues.load();
        QGuiApplication::setWindowIcon(programIcon(256));
    });
    for (int hotkey : std::as_const(waitingTriggers))
        QTimer::singleShot(0, &form, [&form, hotkey] { form.Trigger(hotkey); });
    const SaveAtExit displayGone(form, [&endedFromOutside] { endedFromOutside = true; });
    return app.exec();
}
