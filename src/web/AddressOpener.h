#pragma once

#include <QString>

#include <functional>

class QObject;

namespace spectrel {

// Hands an address (http://..., irc:///...) to the desktop's default program for it.
class AddressOpener {
public:
    // Runs with false when the desktop reports that the launch failed.
    using Outcome = std::function<void(bool launched)>;

    virtual ~AddressOpener() = default;
    // Starts the launch and returns at once. `outcome` runs once, later, from the event loop of `context`'s
    // thread, and not at all once `context` is gone.
    virtual void open(const QString& address, QObject* context, Outcome outcome) = 0;
};

// The desktop's own way: on Linux xdg-open, whose exit status tells a failure (a launch still running after
// kLaunchSettleMs on the real clock has worked: it may be the browser itself); elsewhere Qt's desktop
// services.
AddressOpener& desktopAddressOpener();
inline constexpr int kLaunchSettleMs = 2000;

} // namespace spectrel
