#include "shell/CommandLine.h"

namespace spectrel {

CommandLine CommandLine::read(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"-h" || arg == u"--help")
            return {Request::Help};
        if (arg == u"-v" || arg == u"--version")
            return {Request::Version};
    }
    return {};
}

QString CommandLine::helpText()
{
    return QStringLiteral("Usage: spectrel\n"
                          "Records spectator demos on an HLTV proxy through its remote console.\n"
                          "\n"
                          "  -h, --help     print this help and exit\n"
                          "  -v, --version  print the version and exit\n"
                          "\n"
                          "Qt's own options (-platform, -display, ...) are accepted too.\n");
}

} // namespace spectrel
