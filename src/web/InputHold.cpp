#include "web/InputHold.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>

namespace spectrel {

InputHold::InputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

InputHold::~InputHold()
{
    QGuiApplication::restoreOverrideCursor();
}

bool InputHold::eventFilter(QObject* /*watched*/, QEvent* event)
{
    // Mouse, key, wheel, touch and tablet events; a shortcut comes from a key press and goes with it.
    return event->isInputEvent();
}

} // namespace spectrel
