#pragma once

#include <QObject>

#include <memory>

class QWidget;

namespace spectrel {

// Hooks the main window's moves: while the user drags it, it sticks to the edges of the work area and stays
// above all other windows. The hook lasts as long as the returned object; where the platform offers nothing
// of the kind, the object does nothing.
std::unique_ptr<QObject> hookWindowMoves(QWidget* window);

} // namespace spectrel
