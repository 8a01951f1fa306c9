#pragma once

#include <QString>

namespace spectrel {

// Where the web services point: the maker's update file and download page, the two web links and the banner.
// The program is built with a packager's choice of them (see BuiltInAddresses.h.in); http and https serve
// alike.
struct WebAddresses {
    QString updateFile; // with scheme
    QString home;     // the download page until the update file names another; "http://" when without scheme
    QString homepage; // "Zovan homepage", with scheme
    QString team;     // "Brasswing", with scheme
    QString banner;   // the banner, with scheme
};

} // namespace spectrel
