#include "shell/SaveAtExit.h"

#include "core/Logging.h"
#include "shell/HLTVForm.h"

#include <cstdlib>
#include <utility>

namespace spectrel {

namespace {

SaveAtExit* s_armed = nullptr;

} // namespace

SaveAtExit::SaveAtExit(const HLTVForm& form, std::function<void()> beforeSave)
    : m_form(form), m_beforeSave(std::move(beforeSave))
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
    if (!m_form.StartupDone || m_form.SettingsDeleted || !m_form.isVisible())
        return;
    if (m_beforeSave)
        m_beforeSave();
    qCInfo(lcShell) << "ended by exit(); saving the window position and the fields";
    m_form.saveAtShutdown();
}

} // namespace spectrel
