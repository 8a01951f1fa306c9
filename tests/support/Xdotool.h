#pragma once

#include <QProcess>
#include <QStringList>

namespace spectrel {

// Runs xdotool on `display` (the tests' own when empty), bounded in time: real key presses and clicks
// through the X server, as a user's arrive.
inline bool xdotool(const QStringList& arguments, const QString& display = {})
{
    QProcess p;
    if (!display.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral("timeout"),
            QStringList{QStringLiteral("10"), QStringLiteral("xdotool")} + arguments);
    return p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace spectrel
