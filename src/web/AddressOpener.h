#pragma once

#include <QString>

namespace spectrel {

// Hands an address (http://..., irc:///...) to the desktop's default program for it.
class AddressOpener {
public:
    virtual ~AddressOpener() = default;
    // False when the desktop reports that the launch failed.
    virtual bool open(const QString& address) = 0;
};

// Through QDesktopServices: the browser, IRC program or other handler the desktop has for the scheme.
class DesktopAddressOpener : public AddressOpener {
public:
    bool open(const QString& address) override;
};

AddressOpener& desktopAddressOpener();

} // namespace spectrel
