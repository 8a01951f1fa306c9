#include "shell/CommandLine.h"

#include <QStringList>

namespace spectrel {

CommandLine CommandLine::read(int argc, const char* const* argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"-h" || arg == u"--help")
            return {Request::Help, {}, {}};
        if (arg == u"-v" || arg == u"--version")
            return {Request::Version, {}, {}};
        if (arg != u"--trigger" && !arg.startsWith(u"--trigger="))
            continue;
        const QString action = arg.contains(u'=')
                                   ? arg.section(u'=', 1)
                                   : (++i < argc ? QString::fromLocal8Bit(argv[i]) : QString());
        if (action != u"record" && action != u"stop")
            return {Request::BadUsage, {}, QStringLiteral("--trigger takes record or stop")};
        line.trigger = "trigger " + action.toLatin1();
    }
    return line;
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: spectrel [--trigger record|stop]\n"
        "Records spectator demos on an HLTV proxy through its remote console.\n"
        "\n"
        "  --trigger record|stop  run what the record or stop hotkey runs: in the running window, or\n"
        "                         in one opened for it once its start-up has finished\n"
        "  -h, --help             print this help and exit\n"
        "  -v, --version          print the version and exit\n"
        "\n"
        "Qt's own options (-platform, -display, ...) are accepted too.\n");
}

} // namespace spectrel
