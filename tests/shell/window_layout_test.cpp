// The main window's controls as the builder makes them from the layout table: names, captions, limits and
// initial values against an independent transcription of the window's design, containment, pixel geometry at
// 96 and 192 dots per inch, the tab pages, fonts, and screenshots of the three pages for a person to look at.
#include "shell/FormBuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <stdexcept>

using namespace spectrel;

namespace {

constexpr double kPixelsPerTwip96 = 1.0 / 15;
// Pixels a text may need beyond its control's width before it counts as cut.
constexpr int kCutTolerance = 2;
// Room a push button's bevel and padding take from its text.
constexpr int kButtonTextMargins = 8;

struct Expected {
    const char* name;
    int index;
    const char* className;
    const char* container; // object name of the widget it sits in; "" for the window
    const char* text;
    QRect twips;
    const char* font = ""; // "", "bold" or "underlined"
    int maxLength = 0;
    bool password = false;
    bool ticked = false;
    QStringList entries = {};
};

constexpr const char* kLabel = "spectrel::ClickableLabel";

// The window's design, written down separately from the layout table so that a slip in either shows.
const Expected kDesign[] = {
    {"BannerFrame", -1, "QLabel", "", "", {15, 0, 7080, 960}},
    {"BannerLink", -1, kLabel, "BannerFrame", "", {2200, 100, 2440, 480}},
    {"Tabek", -1, "QTabWidget", "", "", {15, 990, 7080, 4995}},
    // Page 0
    {"fServer", -1, "QGroupBox", "Tabek_0", "Connect to", {75, 475, 6910, 1445}},
    {"lServer", -1, kLabel, "fServer", "HLTV server:", {150, 350, 945, 195}},
    {"tServer", -1, "QLineEdit", "fServer", "", {1505, 300, 3955, 300}, "bold", 33},
    {"lPort", -1, kLabel, "fServer", "HLTV port:", {150, 700, 780, 195}},
    {"tPort", -1, "QLineEdit", "fServer", "", {1505, 650, 950, 300}, "bold", 5},
    {"lRcon", -1, kLabel, "fServer", "Rcon password:", {150, 1050, 1155, 195}},
    {"tRcon", -1, "QLineEdit", "fServer", "", {1505, 1000, 3955, 300}, "bold", 33, true},
    {"pbServer", -1, "QWidget", "fServer", "", {5620, 250, 1200, 1140}},
    {"coPaste", 0, "QPushButton", "pbServer", "Paste", {50, 50, 1100, 300}},
    {"coPaste", 1, "QPushButton", "pbServer", "Paste", {50, 400, 1100, 300}},
    {"coPaste", 2, "QPushButton", "pbServer", "Paste", {50, 750, 1100, 300}},
    {"fHotkeys", -1, "QGroupBox", "Tabek_0", "Hotkeys", {75, 1970, 6910, 1095}},
    {"cRHE", -1, "QCheckBox", "fHotkeys", "R", {150, 350, 400, 200}, "bold"},
    {"cRecAction",
     -1,
     "QComboBox",
     "fHotkeys",
     "",
     {905, 300, 1500, 315},
     "",
     0,
     false,
     false,
     {"Record", "Record now"}},
    {"cCtrlRec", -1, "QCheckBox", "fHotkeys", "CTRL", {2605, 350, 715, 200}, "", 0, false, true},
    {"cAltRec", -1, "QCheckBox", "fHotkeys", "ALT", {3520, 350, 595, 200}},
    {"cShiftRec", -1, "QCheckBox", "fHotkeys", "SHIFT", {4315, 350, 760, 200}, "", 0, false, true},
    {"cRK", -1, "QComboBox", "fHotkeys", "", {5275, 300, 1485, 315}},
    {"cSHE", -1, "QCheckBox", "fHotkeys", "S", {150, 700, 400, 200}, "bold"},
    {"cStopAction",
     -1,
     "QComboBox",
     "fHotkeys",
     "",
     {905, 650, 1500, 315},
     "",
     0,
     false,
     false,
     {"Stop", "Stop now"}},
    {"cCtrlStop", -1, "QCheckBox", "fHotkeys", "CTRL", {2605, 700, 715, 200}, "", 0, false, true},
    {"cAltStop", -1, "QCheckBox", "fHotkeys", "ALT", {3520, 700, 595, 200}},
    {"cShiftStop", -1, "QCheckBox", "fHotkeys", "SHIFT", {4315, 700, 760, 200}, "", 0, false, true},
    {"cSK", -1, "QComboBox", "fHotkeys", "", {5275, 650, 1485, 315}},
    {"fAnnounce", -1, "QGroupBox", "Tabek_0", "Announcing options", {75, 3110, 6910, 1445}},
    {"cAnnounceStart",
     -1,
     "QCheckBox",
     "fAnnounce",
     "Announce start of demo recording",
     {150, 350, 2695, 200}},
    {"cAnnounceEnd", -1, "QCheckBox", "fAnnounce", "Announce end of demo recording", {150, 700, 2665, 200}},
    {"cAnnounceSpec",
     -1,
     "QCheckBox",
     "fAnnounce",
     "Announce change in number of spectators (available only if Auto-refresh is checked)",
     {150, 1050, 6250, 200}},
    // Page 1
    {"fClans", -1, "QGroupBox", "Tabek_1", "Clan names / tags", {75, 475, 6910, 1095}},
    {"lYour", -1, kLabel, "fClans", "Your clan:", {150, 350, 720, 195}},
    {"tYour", -1, "QLineEdit", "fClans", "", {1445, 300, 5315, 300}, "bold", 45},
    {"lOpponent", -1, kLabel, "fClans", "Opponent clan:", {150, 700, 1095, 195}},
    {"tOpponent", -1, "QLineEdit", "fClans", "", {1445, 650, 5315, 300}, "bold", 45},
    {"fStatus", -1, "QGroupBox", "Tabek_1", "HLTV proxy status", {75, 1620, 6910, 2145}},
    {"lConnected", -1, kLabel, "fStatus", "Connected to:", {150, 350, 1005, 195}},
    {"lCServer", -1, kLabel, "fStatus", "(not connected / offline)", {1370, 350, 5390, 195}, "bold"},
    {"lPlayers", -1, kLabel, "fStatus", "Map / players:", {150, 700, 1020, 195}},
    {"lCMap", -1, kLabel, "fStatus", "", {1370, 700, 5390, 195}, "bold"},
    {"lDelay", -1, kLabel, "fStatus", "Delay:", {150, 1050, 450, 195}},
    {"lCDelay", -1, kLabel, "fStatus", "", {1370, 1050, 5390, 195}, "bold"},
    {"lDemoStatus", -1, kLabel, "fStatus", "Demo status:", {150, 1400, 930, 195}},
    {"lCDemo", -1, kLabel, "fStatus", "", {1370, 1400, 5390, 195}, "bold"},
    {"cAutoRefresh",
     -1,
     "QCheckBox",
     "fStatus",
     "Automatically refresh every 30 seconds",
     {150, 1750, 3055, 200}},
    {"pbStatus", -1, "QWidget", "fStatus", "", {5620, 1660, 1200, 440}},
    {"cRefresh", -1, "QPushButton", "pbStatus", "Refresh", {50, 50, 1100, 300}},
    {"fAccRec", -1, "QGroupBox", "Tabek_1", "Accurate recording", {75, 3815, 3425, 1095}},
    {"lAccRec", -1, kLabel, "fAccRec", "Takes delay into account when recording", {150, 345, 2940, 195}},
    {"pbAccRec", -1, "QWidget", "fAccRec", "", {110, 610, 3220, 440}},
    {"cRecord", -1, "QPushButton", "pbAccRec", "Record", {50, 50, 1100, 300}},
    {"cStop", -1, "QPushButton", "pbAccRec", "Stop", {2070, 50, 1100, 300}},
    {"fImmRec", -1, "QGroupBox", "Tabek_1", "Immediate recording", {3565, 3815, 3425, 1095}},
    {"lImmRec", -1, kLabel, "fImmRec", "Starts recording the demo immediately", {150, 345, 2670, 195}},
    {"pbImmRec", -1, "QWidget", "fImmRec", "", {110, 610, 3220, 440}},
    {"cRecNow", -1, "QPushButton", "pbImmRec", "Record now", {50, 50, 1100, 300}},
    {"cStopNow", -1, "QPushButton", "pbImmRec", "Stop now", {2070, 50, 1100, 300}},
    // Page 2
    {"fQuickLinks", -1, "QGroupBox", "Tabek_2", "Quick links", {75, 475, 6910, 1445}},
    {"lIRCLinks", 0, kLabel, "fQuickLinks", "IRC channel #fw", {150, 350, 1200, 195}, "underlined"},
    {"lIRCLinks", 1, kLabel, "fQuickLinks", "IRC channel #pcw", {150, 700, 1335, 195}, "underlined"},
    {"lIRCLinks", 2, kLabel, "fQuickLinks", "IRC channel #esl.match", {150, 1050, 1710, 195}, "underlined"},
    {"lIRCLinks", 3, kLabel, "fQuickLinks", "IRC channel #5on5", {2453, 350, 1395, 195}, "underlined"},
    {"lIRCLinks", 4, kLabel, "fQuickLinks", "IRC channel #4on4", {2453, 700, 1395, 195}, "underlined"},
    {"lIRCLinks", 5, kLabel, "fQuickLinks", "IRC channel #3on3", {2453, 1050, 1395, 195}, "underlined"},
    {"lWWWLink", 0, kLabel, "fQuickLinks", "Zovan homepage", {4755, 345, 1335, 195}, "underlined"},
    {"lWWWLink", 1, kLabel, "fQuickLinks", "Brasswing", {4755, 705, 1335, 195}, "underlined"},
    {"lIRCLinks", 6, kLabel, "fQuickLinks", "IRC channel #hltv", {4755, 1050, 1290, 195}, "underlined"},
    {"fUpdate", -1, "QGroupBox", "Tabek_2", "Update check", {75, 1970, 6910, 1095}},
    {"lUpdate", -1, kLabel, "fUpdate", "Click to manually check for Spectrel updates", {150, 345, 3345, 195}},
    {"lNoteUpdate",
     -1,
     kLabel,
     "fUpdate",
     "NOTE: Spectrel automatically checks for updates on startup but you can do it yourself here",
     {150, 705, 6615, 195}},
    {"pbUpdate", -1, "QWidget", "fUpdate", "", {5620, 250, 1200, 440}},
    {"coUpdate", -1, "QPushButton", "pbUpdate", "Update", {50, 50, 1100, 300}},
    {"fReset", -1, "QGroupBox", "Tabek_2", "Resetting to defaults", {75, 3110, 6910, 1095}},
    {"lReset",
     -1,
     kLabel,
     "fReset",
     "Click to delete all registry entries used by Spectrel",
     {150, 345, 3675, 195}},
    {"lNoteReset1",
     -1,
     kLabel,
     "fReset",
     "NOTE: You can delete registry entries if you wish to reset all settings to their default values",
     {150, 705, 6360, 195}},
    {"Picture1", -1, "QWidget", "fReset", "", {5620, 250, 1200, 440}},
    {"coDelete", -1, "QPushButton", "Picture1", "Delete", {50, 50, 1100, 300}},
};

QString objectNameOf(const char* name, int index)
{
    return index < 0 ? QString::fromLatin1(name) : QString::fromLatin1(name) + u'_' + QString::number(index);
}

// The text a control shows, whatever its class.
QString shownText(QWidget* w)
{
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return box->title();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* field = qobject_cast<QLineEdit*>(w))
        return field->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return {};
}

// The control's rectangle in the coordinates of the widget its layout position is measured from: the tab
// control for controls on a page, the parent otherwise.
QRect designRect(const FormControls& controls, QWidget* w, const ControlSpec& spec)
{
    QWidget* origin = spec.container == "Tabek" ? controls.tabs() : w->parentWidget();
    return QRect(w->mapTo(origin, QPoint(0, 0)), w->size());
}

} // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void controls_data();
    void controls();
    void layoutHoldsNothingElse();
    void pagesAreConsistent();
    void pageCaptions();
    void initialState();
    void fonts();
    void everyControlInsideItsContainer();
    void geometryAt96Dpi_data();
    void geometryAt96Dpi();
    void geometryScalesWithResolution();
    void pixelsPerTwipOfScreen();
    void unknownNamesThrow_data();
    void unknownNamesThrow();
    void banner();
    void linkClicks_data();
    void linkClicks();
    void textsAreNotCut();
    void fittedCaptionsStayClear();
    void screenshots();

private:
    std::unique_ptr<QWidget> m_window;
    FormControls m_controls;
};

void WindowLayoutTest::initTestCase()
{
    m_window = std::make_unique<QWidget>();
    m_controls = buildForm(m_window.get(), kPixelsPerTwip96, QApplication::font());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void WindowLayoutTest::cleanupTestCase()
{
    m_window.reset();
}

void WindowLayoutTest::controls_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kDesign)); ++i)
        QTest::newRow(qPrintable(objectNameOf(kDesign[i].name, kDesign[i].index))) << i;
}

void WindowLayoutTest::controls()
{
    QFETCH(int, row);
    const Expected& e = kDesign[row];
    const QString objectName = objectNameOf(e.name, e.index);

    QCOMPARE(m_window->findChildren<QWidget*>(objectName).size(), 1);
    QWidget* w = m_controls.widget(e.name, e.index);
    QCOMPARE(w->objectName(), objectName);
    QCOMPARE(w->metaObject()->className(), e.className);
    QCOMPARE(m_controls.container(e.name, e.index), w->parentWidget());
    if (*e.container)
        QCOMPARE(w->parentWidget()->objectName(), QString::fromLatin1(e.container));
    else
        QCOMPARE(w->parentWidget(), m_window.get());
    QCOMPARE(shownText(w), QString::fromLatin1(e.text));

    const ControlSpec* spec = findControl(e.name, e.index);
    QVERIFY(spec);
    QCOMPARE(QRect(spec->rect.left, spec->rect.top, spec->rect.width, spec->rect.height), e.twips);

    if (auto* field = qobject_cast<QLineEdit*>(w)) {
        QCOMPARE(field->maxLength(), e.maxLength);
        QCOMPARE(field->echoMode(), e.password ? QLineEdit::Password : QLineEdit::Normal);
    } else {
        QCOMPARE(e.maxLength, 0);
        QVERIFY(!e.password);
    }
    if (auto* box = qobject_cast<QCheckBox*>(w))
        QCOMPARE(box->isChecked(), e.ticked);
    else
        QVERIFY(!e.ticked);
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        QCOMPARE(entries, e.entries);
        QVERIFY(!list->isEditable());
        QCOMPARE(list->currentIndex(), -1);
    }

    const QFont font = w->font();
    QCOMPARE(font.bold(), qstrcmp(e.font, "bold") == 0);
    QCOMPARE(font.underline(), qstrcmp(e.font, "underlined") == 0);
}

void WindowLayoutTest::layoutHoldsNothingElse()
{
    // Everything in the table is in the design (the three pages are checked on their own).
    const auto layout = windowLayout();
    QCOMPARE(qsizetype(layout.size()), qsizetype(std::size(kDesign)) + 3);
    for (const Expected& e : kDesign)
        QVERIFY2(findControl(e.name, e.index), e.name);
}

void WindowLayoutTest::pagesAreConsistent()
{
    // A control inside a frame or panel is on the page its container is on.
    for (const ControlSpec& spec : windowLayout()) {
        if (spec.container.empty() || spec.container == "Tabek" || spec.container == "BannerFrame")
            continue;
        const ControlSpec* container = findControl(spec.container);
        QVERIFY2(container, spec.name.data());
        QCOMPARE(spec.page, container->page);
        QVERIFY(m_controls.page(spec.page)->isAncestorOf(m_controls.widget(spec.name, spec.index)));
    }
}

void WindowLayoutTest::pageCaptions()
{
    QTabWidget* tabs = m_controls.tabs();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Settings  "));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Demo  "));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Misc  "));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tabs->widget(i), m_controls.page(i));
        QCOMPARE(m_controls.page(i)->objectName(), QStringLiteral("Tabek_%1").arg(i));
    }
}

void WindowLayoutTest::initialState()
{
    // A freshly built window shows page 0, and the password field masks with stars.
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    const FormControls controls = buildForm(window.get(), kPixelsPerTwip96);
    QCOMPARE(controls.tabs()->currentIndex(), 0);
    QCOMPARE(controls.label("lCServer")->text(), QStringLiteral("(not connected / offline)"));
    QCOMPARE(controls.label("lCServer")->textFormat(), Qt::PlainText);
    QCOMPARE(controls.list("cRK")->count(), 0);

    QLineEdit* rcon = controls.field("tRcon");
    rcon->setText(QStringLiteral("secret"));
    QCOMPARE(rcon->displayText(), QStringLiteral("******"));
    QCOMPARE(controls.bannerLink()->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(window->size(), QSize(474, 400));
}

void WindowLayoutTest::fonts()
{
    const QString family = QApplication::font().family();
    QFont lServer = m_controls.label("lServer")->font();
    QCOMPARE(lServer.family(), family);
    QCOMPARE(lServer.pointSizeF(), 8.25);
    QCOMPARE(lServer.weight(), QFont::Normal);
    QCOMPARE(m_controls.label("lCServer")->font().weight(), QFont::Bold);
    QCOMPARE(m_controls.field("tServer")->font().weight(), QFont::Bold);
    const QFont link = m_controls.label("lIRCLinks", 6)->font();
    QCOMPARE(link.weight(), QFont::Normal);
    QVERIFY(link.underline());
    QCOMPARE(m_controls.tabs()->font().pointSizeF(), 8.25);
}

void WindowLayoutTest::everyControlInsideItsContainer()
{
    for (const ControlSpec& spec : windowLayout()) {
        if (spec.kind == ControlKind::TabPage)
            continue;
        const QString name = controlObjectName(spec);
        QWidget* w = m_controls.widget(spec.name, spec.index);
        // In the table, in twips.
        const ControlSpec* container = spec.container.empty() ? nullptr : findControl(spec.container);
        const QRect box = container ? QRect(0, 0, container->rect.width, container->rect.height)
                                    : QRect(0, 0, kClientWidthTwips, kClientHeightTwips);
        const QRect r(spec.rect.left, spec.rect.top, spec.rect.width, spec.rect.height);
        QVERIFY2(box.contains(r), qPrintable(name));
        // On screen, in pixels: also clear of the tab strip.
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(name));
    }
}

void WindowLayoutTest::geometryAt96Dpi_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("pixels");
    // Twips over 15, each rounded to the nearest pixel.
    QTest::newRow("BannerFrame") << "BannerFrame" << -1 << QRect(1, 0, 472, 64);
    QTest::newRow("BannerLink") << "BannerLink" << -1 << QRect(147, 7, 163, 32);
    QTest::newRow("Tabek") << "Tabek" << -1 << QRect(1, 66, 472, 333);
    QTest::newRow("fServer on page 0") << "fServer" << -1 << QRect(5, 32, 461, 96);
    QTest::newRow("tServer") << "tServer" << -1 << QRect(100, 20, 264, 20);
    QTest::newRow("coPaste(2)") << "coPaste" << 2 << QRect(3, 50, 73, 20);
    QTest::newRow("fImmRec on page 1") << "fImmRec" << -1 << QRect(238, 254, 228, 73);
    QTest::newRow("cStopNow") << "cStopNow" << -1 << QRect(138, 3, 73, 20);
    QTest::newRow("cRecAction") << "cRecAction" << -1 << QRect(60, 20, 100, 21);
    QTest::newRow("lCServer") << "lCServer" << -1 << QRect(91, 23, 359, 13);
}

void WindowLayoutTest::geometryAt96Dpi()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QRect, pixels);
    const std::string key = name.toStdString();
    const ControlSpec* spec = findControl(key, index);
    QVERIFY(spec);
    QCOMPARE(designRect(m_controls, m_controls.widget(key, index), *spec), pixels);
}

void WindowLayoutTest::geometryScalesWithResolution()
{
    // 192 dots per inch: everything twice as large, page controls still measured from the tab control.
    QWidget window;
    const FormControls controls = buildForm(&window, 192.0 / kTwipsPerInch);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(948, 800));
    QCOMPARE(designRect(controls, controls.frame("fServer"), *findControl("fServer")),
             QRect(10, 63, 921, 193));
    QCOMPARE(controls.field("tServer")->geometry(), QRect(201, 40, 527, 40));
    QCOMPARE(controls.tabs()->geometry(), QRect(2, 132, 944, 666));
}

void WindowLayoutTest::pixelsPerTwipOfScreen()
{
    QCOMPARE(pixelsPerTwip(nullptr), 96.0 / 1440);
    const QScreen* screen = m_window->screen();
    QVERIFY(screen);
    QCOMPARE(pixelsPerTwip(screen), std::max(screen->logicalDotsPerInchX(), 96.0) / 1440);
}

void WindowLayoutTest::unknownNamesThrow_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("misspelt field") << "field"
                                    << "tSrever" << -1;
    QTest::newRow("label asked as field") << "field"
                                          << "lServer" << -1;
    QTest::newRow("array without index") << "button"
                                         << "coPaste" << -1;
    QTest::newRow("index past the array") << "button"
                                          << "coPaste" << 3;
    QTest::newRow("index on a single control") << "label"
                                               << "lServer" << 0;
    QTest::newRow("list asked as box") << "box"
                                       << "cRecAction" << -1;
    QTest::newRow("box asked as list") << "list"
                                       << "cRHE" << -1;
    QTest::newRow("frame asked as panel") << "panel"
                                          << "fServer" << -1;
    QTest::newRow("unknown widget") << "widget"
                                    << "Timer1" << -1;
}

void WindowLayoutTest::unknownNamesThrow()
{
    QFETCH(QString, call);
    QFETCH(QString, name);
    QFETCH(int, index);
    const std::string key = name.toStdString();
    const FormControls& c = m_controls;
    if (call == u"field")
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.field(key));
    else if (call == u"button")
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.button(key, index));
    else if (call == u"label")
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.label(key, index));
    else if (call == u"box")
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.box(key));
    else if (call == u"list")
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.list(key));
    else if (call == u"panel")
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.panel(key));
    else
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.widget(key, index));
}

void WindowLayoutTest::banner()
{
    // The picture is there exactly when the program carries the resource; without it the box stays empty.
    const bool carried = QFile::exists(QString::fromLatin1(kBannerResource));
    QCOMPARE(m_controls.banner()->pixmap().isNull(), !carried);
    if (carried)
        QCOMPARE(m_controls.banner()->pixmap().size(), QSize(468, 60));
    QVERIFY(m_controls.bannerLink()->pixmap().isNull());
    QVERIFY(m_controls.bannerLink()->text().isEmpty());
}

void WindowLayoutTest::linkClicks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<int>("clicks");
    QTest::newRow("banner area") << "BannerLink" << -1 << int(Qt::LeftButton) << true << 1;
    QTest::newRow("link label") << "lIRCLinks" << 4 << int(Qt::LeftButton) << true << 1;
    QTest::newRow("released off the label") << "lWWWLink" << 1 << int(Qt::LeftButton) << false << 0;
    QTest::newRow("right button") << "lWWWLink" << 0 << int(Qt::RightButton) << true << 0;
}

void WindowLayoutTest::linkClicks()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, button);
    QFETCH(bool, releaseInside);
    QFETCH(int, clicks);
    auto* label = qobject_cast<ClickableLabel*>(m_controls.widget(name.toStdString(), index));
    QVERIFY(label);
    int count = 0;
    const QMetaObject::Connection connection =
        connect(label, &ClickableLabel::clicked, this, [&count] { ++count; });
    const QPoint inside = label->rect().center();
    const QPoint release = releaseInside ? inside : QPoint(label->width() + 20, inside.y());
    QTest::mousePress(label, Qt::MouseButton(button), {}, inside);
    QTest::mouseRelease(label, Qt::MouseButton(button), {}, release);
    disconnect(connection);
    QCOMPARE(count, clicks);
}

void WindowLayoutTest::textsAreNotCut()
{
    // With the fonts this machine really has, every caption fits its control.
    QStringList cut;
    QStringList fitted;
    for (const ControlSpec& spec : windowLayout()) {
        if (spec.text.empty() || spec.kind == ControlKind::TabPage || spec.kind == ControlKind::Frame)
            continue;
        QWidget* w = m_controls.widget(spec.name, spec.index);
        // A push button's size hint has a floor of its own; what matters is that its text fits inside.
        const int need = spec.kind == ControlKind::Button
                             ? w->fontMetrics().horizontalAdvance(shownText(w)) + kButtonTextMargins
                             : w->sizeHint().width();
        if (need > w->width() + kCutTolerance)
            cut << QStringLiteral("%1 needs %2 px, has %3").arg(w->objectName()).arg(need).arg(w->width());
        const int designed = qRound(spec.rect.width * kPixelsPerTwip96);
        if (w->width() != designed || w->font().stretch() > 0)
            fitted << QStringLiteral("%1 %2->%3 px stretch %4")
                          .arg(w->objectName())
                          .arg(designed)
                          .arg(w->width())
                          .arg(w->font().stretch());
    }
    qInfo("%s: fitted %s", qPrintable(QFontInfo(QApplication::font()).family()),
          qPrintable(fitted.join(u", ")));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u", ")));
}

void WindowLayoutTest::fittedCaptionsStayClear()
{
    // A widened caption never runs into another control, and condensing stays readable.
    for (const ControlSpec& spec : windowLayout()) {
        QWidget* w = m_controls.widget(spec.name, spec.index);
        QVERIFY2(w->font().stretch() == 0 || w->font().stretch() >= 75, qPrintable(w->objectName()));
        if (spec.kind == ControlKind::TabPage)
            continue;
        for (const ControlSpec& other : windowLayout()) {
            if (&other == &spec || other.kind == ControlKind::TabPage)
                continue;
            QWidget* o = m_controls.widget(other.name, other.index);
            if (o->parentWidget() == w->parentWidget())
                QVERIFY2(!w->geometry().intersects(o->geometry()),
                         qPrintable(w->objectName() + QStringLiteral(" overlaps ") + o->objectName()));
        }
    }
}

void WindowLayoutTest::screenshots()
{
    const QString folder = QStringLiteral(SPECTREL_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QTabWidget* tabs = m_controls.tabs();
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QCoreApplication::processEvents();
        const QString file = folder + QStringLiteral("/layout-page%1.png").arg(i);
        QVERIFY2(m_window->grab().save(file), qPrintable(file));
        qInfo("saved %s", qPrintable(file));
    }
    tabs->setCurrentIndex(0);
}

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
