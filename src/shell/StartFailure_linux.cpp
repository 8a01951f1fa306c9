#include "shell/StartFailure.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <spawn.h>
#include <unistd.h>

namespace spectrel {

namespace {

QtMessageHandler g_previousHandler = nullptr;
QString g_lastWarning; // says why, where the fatal message only says that ("could not connect to display")

void notifyingHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg)
        g_lastWarning = message;
    if (type == QtFatalMsg) {
        // The first sentence says what went wrong; Qt's advice after it is for a terminal. The notification
        // is started and not waited for: the program ends right after this.
        QString text = message.section(u'\n', 0, 0);
        if (const qsizetype end = text.indexOf(QLatin1String(". ")); end > 0)
            text.truncate(end + 1);
        if (!g_lastWarning.isEmpty())
            text = g_lastWarning.trimmed() + u'\n' + text;
        const QByteArray body = text.toLocal8Bit();
        const char* argv[] = {"notify-send",
                              "--app-name=Spectrel",
                              "--icon=spectrel",
                              "--urgency=critical",
                              "Spectrel could not start",
                              body.constData(),
                              nullptr};
        pid_t pid = 0;
        posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ);
    }
    g_previousHandler(type, context, message);
}

} // namespace

void notifyFatalMessages()
{
    g_previousHandler = qInstallMessageHandler(notifyingHandler);
}

} // namespace spectrel
