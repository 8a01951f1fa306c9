#pragma once

#include "text/RuntimeFailure.h"

#include <functional>

namespace spectrel {

// The one error trap. Every handler of an event runs inside it: an unexpected run-time failure (or any other
// exception) never crosses the event loop, it reaches the reaction the program installed. The window shows
// the failure's description and ends; the command-line companion prints it and exits with status 1.
class ErrorTrap {
public:
    using Reaction = std::function<void(const RuntimeFailure&)>;

    ErrorTrap() = default;
    explicit ErrorTrap(Reaction reaction) : m_reaction(std::move(reaction)) {}

    // Runs `handler`; returns false when it failed (the reaction has then run).
    bool run(const std::function<void()>& handler) const;
    // Hands a failure caught elsewhere to the reaction.
    void fail(const RuntimeFailure& failure) const;

private:
    Reaction m_reaction;
};

} // namespace spectrel
