// The yardstick of startup_bench: a bare Qt Widgets window of the main window's size, shown as soon as the
// application object exists, closed by the window manager's close request. With --text it shows one line of
// text, and so loads a font before it is mapped, as every window with a caption does; without, it is empty.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(474, 400);
    if (QCoreApplication::arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("A bare Qt Widgets window"), &window))->move(10, 10);
    window.show();
    return app.exec();
}
