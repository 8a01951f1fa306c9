#include <QFile>
#include <QImage>
#include <QTest>

// Links the resource library directly, and nothing that uses it: linking must be enough for the pictures and
// sounds to be there.
class ResourcesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictures_data();
    void pictures();
    void sounds();
};

void ResourcesTest::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<QPoint>("opaque");

    QTest::newRow("banner") << ":/resources/banner.png" << QSize(468, 60) << false << QPoint(0, 0);
    QTest::newRow("icon") << ":/resources/spectrel.png" << QSize(32, 32) << true << QPoint(16, 16);
    // The cursor's hot spot is the tip of the finger.
    QTest::newRow("hand cursor") << ":/resources/hand.png" << QSize(32, 32) << true << QPoint(6, 0);
}

void ResourcesTest::pictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, transparent);
    QFETCH(QPoint, opaque);

    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.hasAlphaChannel(), transparent);
    if (transparent)
        QCOMPARE(qAlpha(image.pixel(size.width() - 1, size.height() - 1)), 0);
    QCOMPARE(qAlpha(image.pixel(opaque)), 255);
}

void ResourcesTest::sounds()
{
    for (int id = 101; id <= 105; ++id)
        QVERIFY2(QFile::exists(QStringLiteral(":/resources/cue%1.wav").arg(id)),
                 qPrintable(QString::number(id)));
}

QTEST_GUILESS_MAIN(ResourcesTest)
#include "resources_test.moc"
