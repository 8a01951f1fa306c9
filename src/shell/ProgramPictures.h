#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace spectrel {

// One of the program's own PNG pictures from its resources; null when it is missing or damaged. It is read
// as PNG and nothing else: a picture opened by file name alone makes Qt load every image-format plugin to
// ask whether it claims the file, which costs a tenth of the program's start. The pictures the first frame
// shows (the banner, the small icons, the hand cursor) come from raw twins made at build time instead, which
// need no decoding at all.
QPixmap programPicture(const QString& resource);

// The program's icon in the sizes it is drawn in up to `largest` pixels; the window system picks the size it
// shows.
QIcon programIcon(int largest);

} // namespace spectrel
