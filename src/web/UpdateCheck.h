#pragma once

#include "web/WebAddresses.h"

#include <QObject>
#include <QString>

#include <cstdint>

class QEventLoop;

namespace spectrel {

class AddressOpener;
class Notices;
class SettingsStore;
class TextDownload;

// Asks the maker's web server whether a newer release exists: once by itself after start-up, silent unless
// there is one, and from the "Update" button, which also confirms the latest release. A newer release is
// offered; taking it opens the download page and ends the program. The update file also keeps the download
// page's address (the setting "Home") up to date. Uses the update file's and the download page's addresses.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    UpdateCheck(TextDownload& download, SettingsStore& settings, Notices& notices, AddressOpener& opener,
                const WebAddresses& addresses, QObject* parent = nullptr);

    // True when the update file was understood, whatever it said. `manual` for the button.
    bool CheckForUpdates(bool manual);
    // The program is ending: a pending check is abandoned at once, and this or any later check shows and
    // stores nothing.
    void cancel();

Q_SIGNALS:
    // The user took the newer release: the download page has been handed to the browser (or failed to be).
    void programMustEnd();

private:
    bool launch(const QString& address);

    TextDownload& m_download;
    SettingsStore& m_settings;
    Notices& m_notices;
    AddressOpener& m_opener;
    WebAddresses m_addresses;
    bool m_cancelled = false;
    QEventLoop* m_waiting = nullptr;
};

} // namespace spectrel
