#pragma once

#include "core/Cues.h"

#include <QList>

namespace spectrel {

// Cues for tests: remembers the ids asked for, in order, and plays nothing.
class RecordingCues : public Cues {
public:
    void PlayCue(int id) override { m_played.append(id); }

    const QList<int>& played() const { return m_played; }
    void clear() { m_played.clear(); }

private:
    QList<int> m_played;
};

} // namespace spectrel
