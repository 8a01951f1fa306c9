#pragma once

#include <QByteArray>
#include <QString>

namespace spectrel {

// What the program was asked on its command line. Read before anything else starts: --help and --version
// need no display and touch no settings. Options it does not know are left to Qt (-platform, -display, ...).
struct CommandLine {
    enum class Request { OpenWindow, Help, Version, BadUsage };
    Request request = Request::OpenWindow;
    // The line handed to the window ("trigger record", "trigger stop"), empty when there is none.
    QByteArray trigger;
    QString problem; // for BadUsage

    static CommandLine read(int argc, const char* const* argv);
    static QString helpText();
};

} // namespace spectrel
