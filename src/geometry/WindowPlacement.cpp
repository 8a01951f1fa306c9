#include "geometry/WindowPlacement.h"

namespace spectrel {

Position placeInWorkArea(Position p, double width, double height, const Edges& area)
{
    if (p.left < area.left)
        p.left = area.left;
    if (p.left + width > area.right)
        p.left = area.right - width;
    if (p.top < area.top)
        p.top = area.top;
    if (p.top + height > area.bottom)
        p.top = area.bottom - height;
    return p;
}

} // namespace spectrel
