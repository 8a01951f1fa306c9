#pragma once

namespace spectrel {

// An edge-based rectangle in one unit (twips at start-up, pixels while dragging); right and bottom are the
// first coordinates outside it.
struct Edges {
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct Position {
    double left = 0, top = 0;
    bool operator==(const Position&) const = default;
};

// Start-up's placement: the stored position pulled inside the work area, in this order: the left edge in,
// the right edge in, the top edge in, the bottom edge in. A window larger than the work area thus ends with
// its right and bottom edges on the work area's.
Position placeInWorkArea(Position stored, double width, double height, const Edges& workArea);

} // namespace spectrel
