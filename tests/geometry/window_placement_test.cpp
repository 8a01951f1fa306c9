// Start-up's placement of the window inside the work area.

#include "geometry/WindowPlacement.h"

#include <QtTest>

using namespace spectrel;

Q_DECLARE_METATYPE(spectrel::Position)

class WindowPlacementTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeInWorkArea_data()
    {
        QTest::addColumn<Position>("stored");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<Position>("placed");
        // A work area of 1000 x 800 with a task bar of 100 on its left: it starts at x = 100.
        QTest::newRow("inside stays") << Position{300, 200} << 400.0 << 300.0 << Position{300, 200};
        QTest::newRow("left of the task bar") << Position{0, 200} << 400.0 << 300.0 << Position{100, 200};
        QTest::newRow("right edge beyond") << Position{900, 200} << 400.0 << 300.0 << Position{700, 200};
        QTest::newRow("above and below") << Position{300, -50} << 400.0 << 300.0 << Position{300, 0};
        QTest::newRow("bottom edge beyond") << Position{300, 700} << 400.0 << 300.0 << Position{300, 500};
        // Right and bottom edges win over left and top: the window's right edge on the work area's.
        QTest::newRow("wider than the work area") << Position{100, 0} << 1200.0 << 300.0 << Position{-100, 0};
        QTest::newRow("taller than the work area")
            << Position{300, 0} << 400.0 << 900.0 << Position{300, -100};
    }
    void placeInWorkArea()
    {
        QFETCH(Position, stored);
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(Position, placed);
        const Edges area{100, 0, 1100, 800};
        const Position got = spectrel::placeInWorkArea(stored, width, height, area);
        QCOMPARE(got.left, placed.left);
        QCOMPARE(got.top, placed.top);
    }
};

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
