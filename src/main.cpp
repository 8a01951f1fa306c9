// Spectrel: records spectator demos on an HLTV proxy through its remote console.

#include "core/ProgramTitle.h"
#include "shell/HLTVForm.h"
#include "shell/MessageBoxNotices.h"
#include "shell/QSettingsStore.h"
#include "shell/SingleInstance.h"
#include "shell/SoundEffectCues.h"
#include "shell/UserSettings.h"

#include <QApplication>
#include <QTimer>

using namespace spectrel;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(applicationTitle());
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/spectrel.png")));

    // A second copy hands the first one the word to come to the front, and ends without a trace.
    SingleInstance instance(SingleInstance::defaultName());
    if (!instance.claim())
        return 0;

    std::unique_ptr<QSettingsStore> settings = openUserSettings();
    MessageBoxNotices notices;
    SoundEffectCues cues;
    HLTVForm form(notices, cues, *settings);
    notices.setOwner(&form);

    QObject::connect(&instance, &SingleInstance::messageReceived, &form, [&form](const QByteArray& message) {
        if (message == "raise") {
            form.showNormal();
            form.raise();
            form.activateWindow();
        } else if (const int hotkey = triggeredHotkeyId(message)) {
            // Runs as the hotkey's press does, once the channel has answered.
            QTimer::singleShot(0, &form, [&form, hotkey] { form.HotkeyDispatch(hotkey); });
        }
    });

    if (!settings->problem().isEmpty())
        notices.ShowNotice(settings->problem(), NoticeWarning, QStringLiteral("Warning"));
    if (!form.Form_Load())
        return 1;
    return app.exec();
}
