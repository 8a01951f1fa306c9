#pragma once

#include "link/StatusReading.h"

#include <QFont>

namespace spectrel {

// The banner's font, in which the status panel's texts are measured: the desktop's sans-serif at 8.25 pt.
QFont bannerFont();

// Widths in twips as `font` draws a text on a screen of `twipsPerPixel` (15 at 96 dots per inch).
// Needs a running QGuiApplication.
TextWidth textWidthTwips(const QFont& font, double twipsPerPixel);

} // namespace spectrel
