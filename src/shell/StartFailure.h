#pragma once

namespace spectrel {

// A program started from the desktop's menu has no terminal: when it cannot even open its window (no display
// can be reached, no platform plugin loads), Qt's fatal message on standard error reaches nobody. Installed
// before the application object, this hands every fatal message also to the desktop's notifications
// (`notify-send` on Linux) before the program ends; where there are none it does nothing more.
void notifyFatalMessages();

} // namespace spectrel
