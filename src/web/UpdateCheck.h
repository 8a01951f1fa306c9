#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

namespace spectrel {

class AddressOpener;
class Notices;
class SettingsStore;
class TextDownload;

// Asks the maker's web server whether a newer release exists: once by itself after start-up, silent unless
// there is one, and from the "Update" button, which also confirms the latest release. A newer release is
// offered; taking it opens the download page and ends the program. The update file also keeps the download
// page's address (the setting "Home") up to date.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    struct Addresses {
        QString updateFile; // with scheme
        QString home;       // the download page without scheme, until the update file names another
    };
    // Built in. The names stand under the reserved domain "invalid" until the maker's server is named: a
    // check then fails at once and silently, and sends nothing anywhere.
    static Addresses builtIn();

    UpdateCheck(TextDownload& download, SettingsStore& settings, Notices& notices, AddressOpener& opener,
                Addresses addresses = builtIn(), QObject* parent = nullptr);

    // 1 when the update file was understood, whatever it said; 0 otherwise. `manual` is 1 for the button.
    std::uint8_t CheckForUpdates(std::uint8_t manual);

Q_SIGNALS:
    // The user took the newer release: the download page has been handed to the browser (or failed to be).
    void programMustEnd();

private:
    TextDownload& m_download;
    SettingsStore& m_settings;
    Notices& m_notices;
    AddressOpener& m_opener;
    Addresses m_addresses;
};

} // namespace spectrel
