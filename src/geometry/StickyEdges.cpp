#include "geometry/StickyEdges.h"

#include "text/RuntimeFailure.h"

namespace spectrel::sticky {

namespace {

std::int32_t add(std::int32_t a, std::int32_t b)
{
    std::int32_t r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw RuntimeFailure::overflow();
    return r;
}
std::int32_t sub(std::int32_t a, std::int32_t b)
{
    std::int32_t r = 0;
    if (__builtin_sub_overflow(a, b, &r))
        throw RuntimeFailure::overflow();
    return r;
}

// One axis: `low`/`high` the window's edges, `size` its extent, `edge` the work area's edge on that side.
void stickLow(std::int32_t& low, std::int32_t& high, std::int32_t edge, bool& stuck, bool released)
{
    const std::int32_t size = sub(high, low);
    if (!stuck && low < add(edge, kEdgeMargin)) {
        stuck = true;
        low = edge;
    } else if (stuck && low < edge) {
        low = edge;
    } else if (stuck && low > edge) {
        if (released) {
            stuck = false;
            low = add(edge, kEdgeMargin);
        } else {
            low = edge;
        }
    } else {
        return;
    }
    high = add(low, size);
}

void stickHigh(std::int32_t& low, std::int32_t& high, std::int32_t edge, bool& stuck, bool released)
{
    const std::int32_t size = sub(high, low);
    if (!stuck && high > sub(edge, kEdgeMargin)) {
        stuck = true;
        high = edge;
    } else if (stuck && high > edge) {
        high = edge;
    } else if (stuck && high < edge) {
        if (released) {
            stuck = false;
            high = sub(edge, kEdgeMargin);
        } else {
            high = edge;
        }
    } else {
        return;
    }
    low = sub(high, size);
}

} // namespace

Drag beginDrag(const Rect& workArea, const Rect& window, Point cursor)
{
    Drag d;
    d.workArea = workArea;
    d.stuckLeft = window.left < add(workArea.left, kEdgeMargin);
    d.stuckTop = window.top < add(workArea.top, kEdgeMargin);
    d.stuckRight = window.right > sub(workArea.right, kEdgeMargin);
    d.stuckBottom = window.bottom > sub(workArea.bottom, kEdgeMargin);
    d.grabOffset = {sub(cursor.x, window.left), sub(cursor.y, window.top)};
    return d;
}

Rect moveWithin(Rect r, Point cursor, Drag& d)
{
    // The release tests measure the cursor from the rectangle's left and top as each edge finds them.
    stickLow(r.left, r.right, d.workArea.left, d.stuckLeft,
             add(sub(cursor.x, r.left), 1) > add(d.grabOffset.x, kEdgeMargin));
    stickLow(r.top, r.bottom, d.workArea.top, d.stuckTop,
             sub(sub(cursor.y, r.top), 1) > add(d.grabOffset.y, kEdgeMargin));
    stickHigh(r.left, r.right, d.workArea.right, d.stuckRight,
              add(sub(cursor.x, r.left), 1) < sub(d.grabOffset.x, kEdgeMargin));
    stickHigh(r.top, r.bottom, d.workArea.bottom, d.stuckBottom,
              sub(sub(cursor.y, r.top), 1) < sub(d.grabOffset.y, kEdgeMargin));
    return r;
}

} // namespace spectrel::sticky
