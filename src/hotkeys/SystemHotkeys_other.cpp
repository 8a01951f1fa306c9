#include "hotkeys/GlobalHotkeys.h"

namespace spectrel {

namespace {

// A platform without a global hotkey facility: every registration is refused.
class NoHotkeys : public GlobalHotkeys {
public:
    bool registerHotkey(int, int, int) override { return false; }
    void unregisterHotkey(int) override {}
    bool available() const override { return false; }
};

} // namespace

GlobalHotkeys& systemHotkeys()
{
    static NoHotkeys hotkeys;
    return hotkeys;
}

} // namespace spectrel
