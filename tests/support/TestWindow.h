#pragma once

#include "shell/HLTVForm.h"
#include "shell/IniSettingsStore.h"
#include "support/ManualClock.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace spectrel {

// The main window in the test's process, started from a settings file of the test's own, with scripted
// notices, recorded cues and, unless the test gives another clock, a manual clock for all its timers.
struct Window {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("settings.ini"));
    ScriptedNotices notices;
    RecordingCues cues;
    ManualClock clock; // before the window, which holds timers of it
    std::unique_ptr<IniSettingsStore> store;
    std::unique_ptr<HLTVForm> form;

    explicit Window(const QString& settings = QStringLiteral("FirstRun=False\n"), Clock* timers = nullptr)
    {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write("[Settings]\n" + settings.toUtf8());
        f.close();
        store = std::make_unique<IniSettingsStore>(file);
        form = std::make_unique<HLTVForm>(notices, cues, *store, timers ? *timers : clock);
    }
    ~Window()
    {
        if (form)
            form->close();
    }
    QString stored(const QString& key) const
    {
        QSettings s(file, QSettings::IniFormat);
        return s.value(QStringLiteral("Settings/") + key).toString();
    }
    QStringList storedKeys() const
    {
        QSettings s(file, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("Settings"));
        QStringList keys = s.childKeys();
        keys.sort();
        return keys;
    }
    const FormControls& c() const { return form->controls(); }
    // Lets a request that nobody will answer time out: the clock moves on while the request waits.
    void timeOutNextRequest()
    {
        QTimer::singleShot(50, form.get(), [this] { clock.advance(2000); });
    }
};

} // namespace spectrel
