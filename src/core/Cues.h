#pragma once

namespace spectrel {

// The five sound cues.
enum CueId : int {
    CueClick = 101,
    CueFailure = 102,
    CueHotkey = 103,
    CueStart = 104,
    CueFinish = 105,
};

// Plays a cue at once and returns without waiting; a new cue cuts off the one still playing. An id without a
// sound, or a machine without an audio device, plays nothing and reports nothing.
class Cues {
public:
    virtual ~Cues() = default;
    virtual void PlayCue(int id) = 0;
};

} // namespace spectrel
