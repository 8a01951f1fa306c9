#pragma once

#include "fields/FieldClipboard.h"

#include <QObject>

#include <functional>

class QKeyEvent;
class QLineEdit;

namespace spectrel {

class Clipboard;
class ErrorTrap;
class Notices;

// The three connection fields, "HLTV server:", "HLTV port:" and "Rcon password:", with their "Paste"
// buttons. Server and port keep only what an address can hold: typed characters outside it are dropped, a
// change with one empties the field, a colon in the server sends the rest to the port, and a server that
// cannot be a host name is emptied when the field is left. Both take Ctrl+V, Ctrl+C and Ctrl+X through the
// clipboard instead of their own clipboard keys. Every edit of the three switches the automatic refresh off.
// Bad input is never reported here; the check before sending warns.
class ConnectionFieldEditors : public QObject {
    Q_OBJECT
public:
    struct Services {
        Notices& notices;
        Clipboard& clipboard;
        ErrorTrap& trap;
    };
    ConnectionFieldEditors(QLineEdit* server, QLineEdit* port, QLineEdit* password, const Services& services,
                           QObject* parent = nullptr);

    // A "Paste" button: 0 server, 1 port, 2 password.
    void coPaste_Click(int index);

Q_SIGNALS:
    // Any change of the three texts, by the user or by the program: the automatic refresh must go off, as a
    // change the program makes.
    void edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key is used up here.
    bool KeyDown(QLineEdit* field, const QKeyEvent* key);
    bool KeyPress(QLineEdit* field, const QKeyEvent* key) const;
    void tServer_Change();
    void tPort_Change();
    void tServer_LostFocus();

    QLineEdit* m_server;
    QLineEdit* m_port;
    QLineEdit* m_password;
    Services m_services;
    FieldClipboard m_clip;
};

} // namespace spectrel
