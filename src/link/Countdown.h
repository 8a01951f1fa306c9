#pragma once

namespace spectrel {

// A delay-aware start or stop counting the broadcast delay down: which, and whether its timer still runs
// (it has stopped at the run-out, while the fresh status before the command is asked for).
enum class CountdownMode { None, Start, Stop };

struct CountdownState {
    CountdownMode mode = CountdownMode::None;
    bool running = false;
};

// The one owner of the countdown (the recording side); the session asks it when a report arrives.
class CountdownSource {
public:
    virtual ~CountdownSource() = default;
    virtual CountdownState countdown() const = 0;
};

} // namespace spectrel
