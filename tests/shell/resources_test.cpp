#include "shell/ProgramPictures.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QResource>
#include <QtEndian>
#include <QTest>

// Links the resource library directly, and nothing that uses it: linking must be enough for the pictures and
// sounds to be there.
class ResourcesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pictures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("transparent");
        QTest::addColumn<QPoint>("opaque");
        QTest::addColumn<bool>("firstFrame"); // carried raw as well, for the window's first frame

        const auto row = [](const char* path, QSize size, bool transparent, QPoint opaque, bool firstFrame) {
            QTest::newRow(path + 12) << path << size << transparent << opaque << firstFrame;
        };
        row(":/resources/banner.png", QSize(468, 60), false, QPoint(0, 0), true);
        row(":/resources/banner@2x.png", QSize(936, 120), false, QPoint(0, 0), false);
        row(":/resources/spectrel-16.png", QSize(16, 16), true, QPoint(8, 8), true);
        row(":/resources/spectrel.png", QSize(32, 32), true, QPoint(16, 16), true);
        // The cursor's hot spot is the tip of the finger.
        row(":/resources/hand.png", QSize(32, 32), true, QPoint(6, 0), true);
    }

    void pictures()
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

        // As the program shows it: the raw twin, where there is one, holds the very same pixels.
        QFETCH(bool, firstFrame);
        QCOMPARE(QResource(QStringLiteral(":/raw/") + path.mid(12)).isValid(), firstFrame);
        const QImage::Format premultiplied = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(spectrel::programPicture(path).toImage().convertToFormat(premultiplied),
                 image.convertToFormat(premultiplied));
    }

    void sounds_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("seconds");
        QTest::newRow("101 click") << 101 << 0.2;
        QTest::newRow("102 failure") << 102 << 0.74;
        QTest::newRow("103 hotkey") << 103 << 0.29;
        QTest::newRow("104 start") << 104 << 2.5;
        QTest::newRow("105 finish") << 105 << 3.6;
    }

    // Uncompressed PCM mono in the plain 44-byte layout, about as long as its role asks.
    void sounds()
    {
        QFETCH(int, id);
        QFETCH(double, seconds);
        QFile file(QStringLiteral(":/resources/cue%1.wav").arg(id));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray wave = file.readAll();
        const auto u16 = [&wave](int at) { return qFromLittleEndian<quint16>(wave.constData() + at); };
        const auto u32 = [&wave](int at) { return qFromLittleEndian<quint32>(wave.constData() + at); };
        QVERIFY(wave.size() > 44 && wave.startsWith("RIFF") && wave.mid(8, 8) == "WAVEfmt " &&
                wave.mid(36, 4) == "data");
        QCOMPARE(u32(4), quint32(wave.size() - 8));
        QCOMPARE(u16(20), quint16(1)); // PCM
        QCOMPARE(u16(22), quint16(1)); // mono
        QCOMPARE(u32(40), quint32(wave.size() - 44));
        const double length = double(u32(40)) / u32(28); // data bytes over bytes per second
        QVERIFY2(qAbs(length - seconds) <= seconds * 0.15, qPrintable(QString::number(length)));
    }
};

QTEST_MAIN(ResourcesTest)
#include "resources_test.moc"
