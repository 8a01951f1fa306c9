#pragma once

#include "core/Notices.h"

#include <QStringList>

namespace spectrel {

// Notices for programs without a window: each one is written to standard error as one line, caption first,
// and answered with the box's default button. The texts are kept so that a caller can report the last one.
class ConsoleNotices : public Notices {
public:
    int ShowNotice(const QString& text, int flags, const QString& kind) override;
    const QStringList& shown() const { return m_shown; }

private:
    QStringList m_shown;
};

} // namespace spectrel
