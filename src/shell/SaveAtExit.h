#pragma once

#include <functional>

namespace spectrel {

class HLTVForm;

// Qt's X11 connection ends the process with exit() when the X server goes away, past the window's shutdown.
// While one of these lives, such an exit still saves what the shutdown saves (the window position and the
// four text fields), once, without running events: there is no display left to run them with. Only one may
// exist at a time; create it once start-up has finished. A window that is no longer visible has had its own
// shutdown, and a run whose settings were deleted saves nothing.
class SaveAtExit {
public:
    // `beforeSave` runs first, inside exit(): the program says there that nobody is left to answer a notice.
    SaveAtExit(const HLTVForm& form, std::function<void()> beforeSave);
    ~SaveAtExit();
    SaveAtExit(const SaveAtExit&) = delete;
    SaveAtExit& operator=(const SaveAtExit&) = delete;

private:
    static void atExit();
    void save() const;

    const HLTVForm& m_form;
    std::function<void()> m_beforeSave;
};

} // namespace spectrel
