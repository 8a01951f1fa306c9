#pragma once

#include "core/NoticeFormat.h"
#include "core/Notices.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

namespace spectrel {

// Notices for tests: records every notice and answers with the codes queued by answerNext(), in order; when
// the queue is empty, with the box's first (default) button. Link spectrel_services for the button table.
class ScriptedNotices : public Notices {
public:
    struct Shown {
        QString text;
        int flags;
        QString kind;
    };

    int ShowNotice(const QString& text, int flags, const QString& kind) override
    {
        m_shown.append({text, flags, kind});
        // A real box runs the event loop while it is open; a test can do here what should happen meanwhile.
        if (m_whileShown)
            m_whileShown(m_shown.last());
        return m_answers.isEmpty() ? noticeLook(flags).buttons[0] : m_answers.dequeue();
    }

    void answerNext(int code) { m_answers.enqueue(code); }
    void whileShown(std::function<void(const Shown&)> action) { m_whileShown = std::move(action); }

    const QList<Shown>& shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    // The text of the last notice, empty when none was shown.
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }

private:
    QList<Shown> m_shown;
    QQueue<int> m_answers;
    std::function<void(const Shown&)> m_whileShown;
};

} // namespace spectrel
