#include "fields/FieldHook.h"

#include "text/RuntimeFailure.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>

namespace spectrel {

namespace {

bool& hookedEntry(std::array<bool, FieldHook::kFields>& hooked, std::uint8_t index)
{
    if (index >= hooked.size())
        throw RuntimeFailure(9, QStringLiteral("Subscript out of range"));
    return hooked[index];
}

} // namespace

void FieldHook::HookField(QLineEdit* field, std::uint8_t index)
{
    bool& entry = hookedEntry(FieldHooked, index);
    field->installEventFilter(this);
    entry = true;
}

void FieldHook::UnhookField(QLineEdit* field, std::uint8_t index)
{
    bool& entry = hookedEntry(FieldHooked, index);
    if (!entry)
        return;
    field->removeEventFilter(this);
    entry = false;
}

bool FieldHook::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* right = static_cast<const QMouseEvent*>(event);
        if (right->button() != Qt::RightButton)
            return false;
        QMouseEvent left(QEvent::MouseButtonRelease, right->position(), right->scenePosition(),
                         right->globalPosition(), Qt::LeftButton, right->buttons(), right->modifiers());
        QCoreApplication::sendEvent(watched, &left);
        return true;
    }
    case QEvent::ContextMenu:
        // On X11 the menu is asked for when the right button goes down, before its release.
        return static_cast<const QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse;
    default:
        return false;
    }
}

} // namespace spectrel
