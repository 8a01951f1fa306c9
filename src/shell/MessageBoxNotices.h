#pragma once

#include "core/Notices.h"

#include <QPointer>
#include <QWidget>

namespace spectrel {

// Notices as modal message boxes over the owner window (none: over the whole application). The body is shown
// as plain text, so a failure description with '<' in it reads as written.
class MessageBoxNotices : public Notices {
public:
    explicit MessageBoxNotices(QWidget* owner = nullptr);

    // The main window is created after the services it uses, so it can take ownership of the boxes later.
    void setOwner(QWidget* owner) { m_owner = owner; }
    QWidget* owner() const { return m_owner; }

    // Blocks in a nested event loop until the box is answered; timers and sockets keep being served
    // meanwhile.
    int ShowNotice(const QString& text, int flags, const QString& kind) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace spectrel
