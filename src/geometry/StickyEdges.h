#pragma once

#include <cstdint>

// The window's sticky edges while it is dragged, in screen pixels: within 20 pixels of an edge of the work
// area it sticks to that edge, and it leaves the edge only once the cursor has pulled 20 pixels further than
// where it held the window. Plain integers and no toolkit, so the Windows move handling can use it as is.
namespace spectrel::sticky {

inline constexpr std::int32_t kEdgeMargin = 20;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};
struct Point {
    std::int32_t x = 0, y = 0;
};

// What a drag keeps from its start: the work area, where the cursor holds the window, and the edges the
// window is held at.
struct Drag {
    Rect workArea;
    Point grabOffset;
    bool stuckLeft = false, stuckTop = false, stuckRight = false, stuckBottom = false;
};

// A drag starts: the window's edges near the work area's count as held.
Drag beginDrag(const Rect& workArea, const Rect& window, Point cursor);

// Where the window goes when the platform proposes `proposed` with the cursor at `cursor`: the edges are
// taken in the order left, top, right, bottom, each on the result of the one before; the size never changes.
// Arithmetic beyond 32 bits fails with RuntimeFailure::Overflow (no real screen gets there).
Rect moveWithin(Rect proposed, Point cursor, Drag& drag);

} // namespace spectrel::sticky
