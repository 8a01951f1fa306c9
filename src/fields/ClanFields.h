#pragma once

#include "recording/ClanNames.h"

#include "fields/FieldClipboard.h"

#include <QObject>

#include <functional>

class QKeyEvent;
class QLineEdit;

namespace spectrel {

class Clipboard;
class Cues;
class ErrorTrap;
class Notices;

// The two clan-name fields, "Your clan:" and "Opponent clan:". Both keep the eight characters a file name
// cannot hold out (typed ones are dropped, a paste that holds one empties the field), hold at most 45
// characters, lose their surrounding blanks when left, empty on Escape, and copy or cut with Ctrl+C and
// Ctrl+X through the clipboard. Forbidden input is never reported; only the check before recording warns.
class ClanFields : public QObject, public ClanNames {
    Q_OBJECT
public:
    struct Services {
        Notices& notices;
        Cues& cues;
        Clipboard& clipboard;
        ErrorTrap& trap;
    };
    ClanFields(QLineEdit* your, QLineEdit* opponent, std::function<void()> showDemoPage,
               const Services& services, QObject* parent = nullptr);

    bool ClanNamesInvalid() override;
    QString demoName() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key is used up here.
    bool KeyDown(QLineEdit* field, const QKeyEvent* key);
    bool KeyPress(const QKeyEvent* key) const;
    void Change(QLineEdit* field);
    void LostFocus(QLineEdit* field);

    QLineEdit* m_your;
    QLineEdit* m_opponent;
    std::function<void()> m_showDemoPage;
    Services m_services;
    FieldClipboard m_clip;
};

} // namespace spectrel
