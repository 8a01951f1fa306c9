#pragma once

#include "shell/WindowLayout.h"
#include "support/XDisplay.h"
#include "support/Xdotool.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace spectrel {

const QString kTitle = QStringLiteral("Spectrel by Zovan v1.2.9");
constexpr int kWaitMs = 10000;

// The caption of the program's notices of `kind` ("Warning", "Welcome notes", ...).
inline QString noticeCaption(const QString& kind)
{
    return kTitle + QStringLiteral(" - ") + kind;
}

// Presses Return in `window` (a notice): the focus is put there first, as no window manager does it.
inline bool pressReturn(xcb_window_t window)
{
    return xdotool({"windowfocus", "--sync", QString::number(window), "key", "Return"});
}

// Clicks a control of the window's layout: its middle, or `pixels` from its top-left corner. The twips become
// pixels by the window's width.
inline bool clickControl(XDisplay& x, xcb_window_t window, std::string_view name, const QString& display = {},
                         std::optional<QPoint> pixels = std::nullopt)
{
    const double pixelsPerTwip = x.geometry(window).width() / double(kClientWidthTwips);
    const ControlRow* row = findControl(name);
    QPoint twips = pixels
                       ? QPoint(row->rect.left, row->rect.top)
                       : QPoint(row->rect.left + row->rect.width / 2, row->rect.top + row->rect.height / 2);
    while (!row->container.empty() && (row = findControl(row->container)))
        twips += QPoint(row->rect.left, row->rect.top);
    const QPoint at = (QPointF(twips) * pixelsPerTwip).toPoint() + pixels.value_or(QPoint());
    return xdotool({"mousemove", "--window", QString::number(window), QString::number(at.x()),
                    QString::number(at.y()), "click", "1"},
                   display);
}

// One run of the program with its own settings folder and home folder (the home folder names the
// single-instance channel, so a developer's own copy is not disturbed).
class ProgramRun {
public:
    ProgramRun() { QDir(m_home.path()).mkpath(QStringLiteral("config")); }
    ~ProgramRun()
    {
        for (QProcess* p : {&m_process, &m_second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QString iniPath() const { return m_configHome + QStringLiteral("/Spectrel by Zovan.ini"); }
    // Another settings folder, and another X server, for the runs that follow.
    void setConfigHome(const QString& folder) { m_configHome = folder; }
    void setDisplay(const QString& display) { m_display = display; }
    // One more variable of the program's environment.
    void setEnv(const QString& name, const QString& value) { m_env.insert(name, value); }
    QString homePath() const { return m_home.path(); }
    // The command-line arguments of the runs that follow.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }

    void writeIni(const QByteArray& settingsLines)
    {
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\n" + settingsLines);
    }
    QByteArray iniText() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The keys of the settings group and their texts.
    QMap<QString, QString> settings() const
    {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Settings"));
        QMap<QString, QString> values;
        for (const QString& key : ini.childKeys())
            values.insert(key, ini.value(key).toString());
        return values;
    }
    QString setting(const QString& key) const { return settings().value(key); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!m_display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), m_display);
        env.remove(QStringLiteral("SESSION_MANAGER"));
        env.insert(m_env);
        return env;
    }
    QProcess& start() { return start(m_process); }
    // Starts the program with these settings and waits for its main window on `x`; 0 when none opened.
    xcb_window_t startToWindow(XDisplay& x, const QByteArray& settingsLines)
    {
        writeIni(settingsLines);
        start();
        return x.waitForWindow(kTitle, kWaitMs);
    }
    // Closes the window as a window manager does; true when the program then ends with status 0.
    bool closeAndEnd(XDisplay& x, xcb_window_t window)
    {
        x.requestClose(window);
        return finished() && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QProcess& startSecond() { return start(m_second); }
    QProcess& process() { return m_process; }
    bool finished(int ms = kWaitMs)
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(ms);
    }
    // What the program wrote on standard error so far (its log).
    QByteArray log()
    {
        m_process.waitForReadyRead(0);
        m_log += m_process.readAllStandardError();
        return m_log;
    }

    // spectrelctl as the same user; its exit status, -1 when it did not end normally.
    int spectrelctl(const QStringList& args)
    {
        QProcess ctl;
        ctl.setProcessEnvironment(environment());
        ctl.start(qEnvironmentVariable("SPECTRELCTL"), args);
        if (!ctl.waitForFinished(kWaitMs))
            return -1;
        m_ctlError = ctl.readAllStandardError();
        return ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    }
    QByteArray ctlError() const { return m_ctlError; }

    // Types `text` into the proxy address field, then ticks the record row's ALT box, whose handler saves it
    // at once: once the file shows the box, the program has handled the typing before it.
    void typeServer(XDisplay& x, xcb_window_t window, const QString& text)
    {
        QVERIFY(clickControl(x, window, "tServer", m_display));
        QVERIFY(xdotool({"type", "--delay", "20", text}, m_display));
        QVERIFY(clickControl(x, window, "cAltRec", m_display));
        QTRY_VERIFY2_WITH_TIMEOUT(iniText().contains("cAltRec=1"), "the ALT box was not ticked", kWaitMs);
    }

private:
    QProcess& start(QProcess& p)
    {
        p.setProcessEnvironment(environment());
        p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        p.start(qEnvironmentVariable("SPECTREL"), m_arguments);
        return p;
    }

    QTemporaryDir m_home;
    QString m_configHome = m_home.filePath(QStringLiteral("config"));
    QString m_display;
    QProcessEnvironment m_env;
    QStringList m_arguments;
    QProcess m_process;
    QProcess m_second;
    QByteArray m_ctlError;
    QByteArray m_log;
};

} // namespace spectrel
