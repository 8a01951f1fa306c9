#pragma once

#include <QString>

namespace spectrel {

// The application title: names the settings store and stands in several notices.
inline QString applicationTitle()
{
    return QStringLiteral("Spectrel by Zovan");
}

// The window caption and the start of every notice caption: the title, " v" and major.minor.revision.
QString ProgramTitle();

} // namespace spectrel
