// The sticky edges of a dragged window: where a proposed position ends up, and when an edge lets go.

#include "geometry/StickyEdges.h"
#include "text/RuntimeFailure.h"

#include <QtTest>

using namespace spectrel::sticky;

Q_DECLARE_METATYPE(spectrel::sticky::Rect)

namespace {

Rect at(std::int32_t left, std::int32_t top, std::int32_t width = 400, std::int32_t height = 300)
{
    return {left, top, left + width, top + height};
}

} // namespace

class StickyEdgesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One drag: it starts with the window at `start` and the cursor `grab` pixels inside it; then the
    // platform proposes `proposed` with the cursor at `cursor`, and the window goes to `placed`.
    void moves_data()
    {
        QTest::addColumn<Rect>("area");
        QTest::addColumn<Rect>("start");
        QTest::addColumn<QPoint>("grab");
        QTest::addColumn<Rect>("proposed");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<Rect>("placed");
        const Rect screen{0, 0, 1024, 738};
        QTest::newRow("near the left edge sticks")
            << screen << at(100, 200) << QPoint(50, 10) << at(15, 200) << QPoint(65, 210) << at(0, 200);
        QTest::newRow("held: the cursor has not pulled far enough")
            << screen << at(0, 200) << QPoint(50, 10) << at(10, 200) << QPoint(75, 210) << at(0, 200);
        QTest::newRow("released: 20 pixels further")
            << screen << at(0, 200) << QPoint(50, 10) << at(10, 200) << QPoint(80, 210) << at(20, 200);
        QTest::newRow("held beyond the edge")
            << screen << at(0, 200) << QPoint(50, 10) << at(-30, 200) << QPoint(20, 210) << at(0, 200);
        QTest::newRow("task bar on the left") << Rect{60, 0, 1024, 738} << at(300, 200) << QPoint(50, 10)
                                              << at(70, 200) << QPoint(120, 210) << at(60, 200);
        QTest::newRow("top edge") << screen << at(300, 100) << QPoint(50, 10) << at(300, 12)
                                  << QPoint(350, 22) << at(300, 0);
        QTest::newRow("top released")
            << screen << at(300, 0) << QPoint(50, 10) << at(300, 5) << QPoint(350, 37) << at(300, 20);
        QTest::newRow("right edge") << screen << at(300, 200) << QPoint(50, 10) << at(610, 200)
                                    << QPoint(660, 210) << at(624, 200);
        QTest::newRow("right released")
            << screen << at(624, 200) << QPoint(50, 10) << at(600, 200) << QPoint(628, 210) << at(604, 200);
        QTest::newRow("bottom held") << screen << at(300, 428) << QPoint(50, 10) << at(300, 420)
                                     << QPoint(350, 425) << at(300, 438);
        QTest::newRow("bottom released")
            << screen << at(300, 438) << QPoint(50, 10) << at(300, 420) << QPoint(350, 408) << at(300, 418);
        // Wider than the work area: both sides stick, and the right edge, taken last, decides.
        QTest::newRow("wider than the work area")
            << Rect{0, 0, 800, 600} << at(10, 100, 900) << QPoint(50, 10) << at(5, 100, 900)
            << QPoint(55, 110) << at(-100, 100, 900);
        QTest::newRow("far from every edge")
            << screen << at(300, 200) << QPoint(50, 10) << at(310, 210) << QPoint(360, 220) << at(310, 210);
    }
    void moves()
    {
        QFETCH(Rect, area);
        QFETCH(Rect, start);
        QFETCH(QPoint, grab);
        QFETCH(Rect, proposed);
        QFETCH(QPoint, cursor);
        QFETCH(Rect, placed);
        Drag drag = beginDrag(area, start, {start.left + grab.x(), start.top + grab.y()});
        const Rect got = moveWithin(proposed, {cursor.x(), cursor.y()}, drag);
        QCOMPARE(got.left, placed.left);
        QCOMPARE(got.top, placed.top);
        QCOMPARE(got.right - got.left, proposed.right - proposed.left);
        QCOMPARE(got.bottom - got.top, proposed.bottom - proposed.top);
    }

    void overflowFails()
    {
        Drag drag = beginDrag({0, 0, 1024, 738}, at(300, 200), {350, 210});
        int failure = 0;
        try {
            moveWithin({-2147483600, 0, 2147483600, 300}, {0, 0}, drag);
        } catch (const spectrel::RuntimeFailure& f) {
            failure = f.number();
        }
        QCOMPARE(failure, int(spectrel::RuntimeFailure::Overflow));
    }
};

QTEST_GUILESS_MAIN(StickyEdgesTest)
#include "sticky_edges_test.moc"
