#include "geometry/WindowMoves.h"

#include "geometry/Win32WindowMoves.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

namespace spectrel {

namespace {

// The system's own move loop sends the messages; they are handled where the window procedure would be.
class Win32Moves : public QObject, public QAbstractNativeEventFilter {
public:
    explicit Win32Moves(QWidget* window) : m_window(window)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Win32Moves() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override
    {
        if (type != "windows_generic_MSG")
            return false;
        long long answer = 0;
        const void* hwnd = reinterpret_cast<const void*>(m_window->winId());
        if (!win32::handleWindowMove(message, hwnd, m_drag, answer))
            return false;
        *result = qintptr(answer);
        return true;
    }

private:
    QWidget* m_window;
    sticky::Drag m_drag;
};

} // namespace

std::unique_ptr<QObject> hookWindowMoves(QWidget* window)
{
    return std::make_unique<Win32Moves>(window);
}

} // namespace spectrel
