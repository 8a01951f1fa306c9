// The main window's controls as the builder makes them from the layout table: what must hold for every row
// (one widget per name, in its container and inside it), the pixel geometry at two resolutions, captions that
// fit without overlapping, and the typed look-up of the controls.
#include "shell/CaptionStretchFile.h"
#include "shell/FormBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <stdexcept>

using namespace spectrel;

namespace {

constexpr double kPixelsPerTwip96 = 1.0 / 15;

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The text a control shows, whatever its class: a frame's title, or the text of the others.
QString shownText(QWidget* w)
{
    return w->property(qobject_cast<QGroupBox*>(w) ? "title" : "text").toString();
}

// Controls whose row names a container that is a page of the tab control, not a widget of that name.
bool onPage(const ControlRow& row)
{
    return row.container == "Tabek";
}

} // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    FormControls m_controls;

private Q_SLOTS:
    void initTestCase()
    {
        m_window = std::make_unique<QWidget>();
        m_controls = buildForm(m_window.get(), kPixelsPerTwip96, QApplication::font());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanupTestCase() { m_window.reset(); }

    // One widget for every row, found by its name, in the container and on the page the row names, shown
    // inside that container, with its caption.
    void everyRowIsBuiltWhereItBelongs()
    {
        for (const ControlRow& row : windowLayout()) {
            const QString name = controlObjectName(row);
            QCOMPARE(m_window->findChildren<QWidget*>(name).size(), 1);
            QWidget* w = m_controls.widget(row.name, row.index);
            QCOMPARE(w->objectName(), name);
            if (row.kind == ControlKind::TabPage) {
                QCOMPARE(m_controls.tabs()->widget(row.index), w);
                continue;
            }
            const QString container =
                onPage(row) ? QStringLiteral("Tabek_%1").arg(row.page) : fromView(row.container);
            QCOMPARE(w->parentWidget()->objectName(), container);
            QCOMPARE(m_controls.container(row.name, row.index), w->parentWidget());
            if (row.page >= 0)
                QVERIFY2(m_controls.page(row.page)->isAncestorOf(w), qPrintable(name));
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(name));
            QCOMPARE(shownText(w), fromView(row.text));
            if (row.kind == ControlKind::Label) // status texts come from the proxy: never markup
                QCOMPARE(qobject_cast<QLabel*>(w)->textFormat(), Qt::PlainText);
            if (auto* list = qobject_cast<QComboBox*>(w))
                QVERIFY2(!list->isEditable(), qPrintable(name));
        }
        QCOMPARE(m_controls.tabs()->currentIndex(), 0);
    }

    // The password field's stars are connection_fields_test's.
    void bannerAndScreenWithoutResolution()
    {
        // The picture and the banner's own hand cursor are there exactly when the program carries them.
        const bool carried = QFile::exists(QString::fromLatin1(kBannerResource));
        QCOMPARE(m_controls.banner()->pixmap().isNull(), !carried);
        const QCursor hand = m_controls.bannerLink()->cursor();
        QCOMPARE(hand.shape(), carried ? Qt::BitmapCursor : Qt::PointingHandCursor);
        if (carried) {
            QCOMPARE(hand.hotSpot(), QPoint(6, 0));
            // Above a device pixel ratio of 1 the banner is the picture drawn twice as large, not the 1x one
            // enlarged.
            const QPixmap sharp = bannerPicture(1.0, 2.0);
            QCOMPARE(sharp.devicePixelRatio(), 2.0);
            QCOMPARE(
                sharp.toImage(),
                QImage(QString::fromLatin1(kBanner2xResource)).convertToFormat(sharp.toImage().format()));
        }
        QCOMPARE(pixelsPerTwip(nullptr), 96.0 / 1440); // a screen without a resolution shows everything
    }

    void geometry_data()
    {
        QTest::addColumn<double>("dotsPerInch");
        QTest::newRow("96 dpi") << 96.0;
        QTest::newRow("192 dpi") << 192.0;
    }
    void geometry()
    {
        QFETCH(double, dotsPerInch);
        const double ppt = dotsPerInch / kTwipsPerInch;
        QWidget window;
        const FormControls controls = buildForm(&window, ppt);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(qRound(kClientWidthTwips * ppt), qRound(kClientHeightTwips * ppt)));
        for (const ControlRow& row : windowLayout()) {
            if (row.kind == ControlKind::TabPage)
                continue;
            QWidget* w = controls.widget(row.name, row.index);
            // Page controls are measured from the tab control, tab strip included.
            const QRect r(w->mapTo(onPage(row) ? controls.tabs() : w->parentWidget(), QPoint(0, 0)),
                          w->size());
            const QRect designed(qRound(row.rect.left * ppt), qRound(row.rect.top * ppt),
                                 qRound(row.rect.width * ppt), qRound(row.rect.height * ppt));
            const QByteArray where = controlObjectName(row).toLatin1();
            QVERIFY2(r.left() == designed.left(), where);
            // Only a caption that needs it grows to the right, and a check box about its middle.
            const bool fitted =
                !row.text.empty() && (row.kind == ControlKind::Label || row.kind == ControlKind::CheckBox);
            QVERIFY2(fitted ? r.width() >= designed.width() : r.width() == designed.width(), where);
            if (row.kind == ControlKind::CheckBox)
                QVERIFY2(qAbs(r.center().y() - designed.center().y()) <= 1, where);
            else
                QVERIFY2(r.top() == designed.top() && r.height() == designed.height(), where);
        }
    }

    void captionsFitWithoutOverlap()
    {
        // With the fonts this machine really has, every caption fits, condensed no further than 75 %, and a
        // widened control never runs into another. A page's captions are condensed once it is shown.
        for (int page = m_controls.tabs()->count() - 1; page >= 0; --page)
            m_controls.tabs()->setCurrentIndex(page);
        for (const ControlRow& row : windowLayout()) {
            QWidget* w = m_controls.widget(row.name, row.index);
            const QString name = w->objectName();
            QVERIFY2(w->font().stretch() == 0 || w->font().stretch() >= 75, qPrintable(name));
            if (row.kind == ControlKind::TabPage)
                continue;
            if (!row.text.empty() && row.kind != ControlKind::Frame) {
                // A push button's size hint has a floor of its own; its text must fit inside the bevel.
                const int need = row.kind == ControlKind::Button
                                     ? w->fontMetrics().horizontalAdvance(shownText(w)) + 8
                                     : w->sizeHint().width();
                QVERIFY2(need <= w->width() + 2, qPrintable(name + QStringLiteral(" needs %1 px").arg(need)));
            }
            for (const ControlRow& other : windowLayout()) {
                QWidget* o = m_controls.widget(other.name, other.index);
                if (o != w && other.kind != ControlKind::TabPage && o->parentWidget() == w->parentWidget())
                    QVERIFY2(!w->geometry().intersects(o->geometry()),
                             qPrintable(name + u' ' + o->objectName()));
            }
        }
    }

    // A stretch found once is used at the next start without trying, before the window shows; a remembered
    // one that no longer fits is put right once the caption has been painted, and remembered anew.
    void rememberedStretches()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("cache/caption-stretches"));
        // The condensed captions of the first page, and their stretches right after the window is shown.
        const auto start = [&](QWidget& window, QHash<QString, int>& stretches) {
            CaptionStretchFile file(path);
            const FormControls controls = buildForm(&window, kPixelsPerTwip96, QApplication::font(), &file);
            window.show();
            for (QWidget* w : window.findChildren<QWidget*>()) {
                if (w->isVisible() && w->font().stretch() > 0)
                    stretches.insert(w->objectName(), w->font().stretch());
            }
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTest::qWait(50);
        };
        QHash<QString, int> found;
        {
            QWidget window;
            start(window, found);
        }
        if (found.isEmpty())
            QSKIP("no caption on the first page needs condensing in this machine's fonts");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString lines = QString::fromUtf8(file.readAll());
        file.close();
        QCOMPARE(lines.count(u'\n'), found.size());
        lines.replace(QRegularExpression(QStringLiteral("^\\d+"), QRegularExpression::MultilineOption),
                      QStringLiteral("75"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lines.toUtf8() + "x\tdamaged\n");
        file.close();

        QHash<QString, int> remembered;
        QWidget second;
        start(second, remembered);
        for (auto it = found.constBegin(); it != found.constEnd(); ++it) {
            QCOMPARE(remembered.value(it.key()), 75);
            QTRY_COMPARE(second.findChild<QWidget*>(it.key())->font().stretch(), it.value());
        }
        QHash<QString, int> third;
        QWidget window;
        start(window, third);
        QCOMPARE(third, found);
        QCOMPARE(CaptionStretchFile(path).stretchFor(QStringLiteral("damaged")), std::nullopt);
    }

    void wrongNamesThrow()
    {
        const FormControls& c = m_controls;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.field("tSrever"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.field("lServer"));     // a label
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.button("coPaste"));    // an array without index
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.button("coPaste", 3)); // past the array
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.label("lServer", 0));  // a single control
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.box("cRecAction"));    // a list
    }

    void linkClicks()
    {
        const struct {
            const char* name;
            int index;
            Qt::MouseButton button;
            bool releaseInside;
            int clicks;
        } cases[] = {{"BannerLink", -1, Qt::LeftButton, true, 1},
                     {"lIRCLinks", 4, Qt::LeftButton, true, 1},
                     {"lWWWLink", 1, Qt::LeftButton, false, 0}, // released off the label
                     {"lWWWLink", 0, Qt::RightButton, true, 0}};
        for (const auto& c : cases) {
            auto* label = qobject_cast<ClickableLabel*>(m_controls.widget(c.name, c.index));
            QSignalSpy clicked(label, &ClickableLabel::clicked);
            const QPoint inside = label->rect().center();
            QTest::mousePress(label, c.button, {}, inside);
            QTest::mouseRelease(label, c.button, {},
                                c.releaseInside ? inside : QPoint(label->width() + 20, 5));
            QCOMPARE(clicked.size(), c.clicks);
        }
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
