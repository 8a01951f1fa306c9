#include "shell/SaveAtExit.h"

#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "shell/HLTVForm.h"

#include <QLineEdit>

#include <cstdlib>
#include <utility>

namespace spectrel {

namespace {

SaveAtExit* s_armed = nullptr;

} // namespace

SaveAtExit::SaveAtExit(const HLTVForm& form, SettingsStore& settings, std::function<void()> beforeSave)
    : m_form(form), m_settings(settings), m_beforeSave(std::move(beforeSave))
{
    // Registered late on purpose: the handlers run in reverse order, so this one runs while everything that
    // start-up set up (Qt's own statics among them) is still there.
    static const bool registered = std::atexit(&SaveAtExit::atExit) == 0;
    if (registered)
        s_armed = this;
}

SaveAtExit::~SaveAtExit()
{
    if (s_armed == this)
        s_armed = nullptr;
}

void SaveAtExit::atExit()
{
    // Taken first, so that a second exit() from inside the save cannot run it again.
    if (const SaveAtExit* armed = std::exchange(s_armed, nullptr))
        armed->save();
}

void SaveAtExit::save() const
{
    if (m_form.StartupDone != 1 || m_form.SettingsDeleted != 0 || !m_form.isVisible())
        return;
    if (m_beforeSave)
        m_beforeSave();
    qCInfo(lcShell) << "ended by exit(); saving the window position and the fields";
    if (!m_form.isMinimized()) {
        const QRect frame = m_form.frameGeometry();
        writeSingle(m_settings, SettingKey::Left, float(frame.x() * m_form.twipsPerPixel()));
        writeSingle(m_settings, SettingKey::Top, float(frame.y() * m_form.twipsPerPixel()));
    }
    for (SettingKey key : {SettingKey::tServer, SettingKey::tPort, SettingKey::tRcon, SettingKey::tYour})
        writeText(m_settings, key, m_form.controls().field(settingName(key).toStdString())->text());
}

} // namespace spectrel
