#pragma once

#include "core/Cues.h"

#include <QHash>
#include <QObject>

class QSoundEffect;

namespace spectrel {

// Cues played from the program's resources (":/resources/cue<id>.wav") through Qt Multimedia. A sound is
// loaded the first time it is asked for, so that a start-up without sound costs nothing; preload() loads all
// five now. On a machine without a sound output nothing is loaded or played, and no warning reaches the log.
class SoundEffectCues : public QObject, public Cues {
    Q_OBJECT

public:
    explicit SoundEffectCues(QObject* parent = nullptr);
    // Lets a sound that is still loading finish first (briefly, and without running the program's other
    // events): the program must not end in the middle of a load. Destroy it after the event loop has ended,
    // not from a handler.
    ~SoundEffectCues() override;

    // Stops the cue still playing, then starts `id` without waiting for it. An id without a sound stops the
    // previous cue all the same and plays nothing.
    void PlayCue(int id) override;

    // Loads the five sounds now instead of at their first use.
    void preload();

    // The cue started last and not cut off since, 0 when there is none.
    int currentCue() const { return m_currentId; }
    // The effect that plays `id`, null until it has been loaded.
    QSoundEffect* effect(int id) const { return m_effects.value(id); }

    // The resource a cue is played from.
    static QString cueResource(int id);

protected:
    // Whether there is a sound output to play on. Virtual so that tests can drive the effects on a machine
    // without one (where they "play" in silence).
    virtual bool hasAudioOutput() const;

private:
    QSoundEffect* effectFor(int id);

    QHash<int, QSoundEffect*> m_effects; // children of this object
    QSoundEffect* m_current = nullptr;
    int m_currentId = 0;
};

} // namespace spectrel
