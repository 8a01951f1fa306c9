#pragma once

#include <QString>

namespace spectrel {

// The application title: names the settings store and stands in several notices.
inline QString applicationTitle()
{
    return QStringLiteral("Spectrel by Zovan");
}

// The release as major.minor.revision ("1.2.9").
QString programVersion();

// The window caption and the start of every notice caption: the title, " v" and the release.
QString ProgramTitle();

} // namespace spectrel
