// The two clan-name fields with real keys and the real clipboard (on the tests' X server).

#include "core/ErrorTrap.h"
#include "fields/ClanFields.h"
#include "fields/Clipboard.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"
#include "support/TestDoubles.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>
#include <QVBoxLayout>

using namespace spectrel;
using namespace Qt::StringLiterals;

namespace {

struct Fields {
    QWidget window;
    QLineEdit* your = new QLineEdit(&window);
    QLineEdit* opponent = new QLineEdit(&window);
    ScriptedNotices notices;
    RecordingCues cues;
    BusyClipboard clipboard;
    ErrorTrap trap{[](const RuntimeFailure& f) { QFAIL(qPrintable(f.description())); }};
    int pageShown = 0;
    ClanFields clans{your, opponent, [this] { ++pageShown; },
                     ClanFields::Services{notices, cues, clipboard, trap}};

    Fields()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(your);
        layout->addWidget(opponent);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        your->setFocus();
    }
};

} // namespace

class ClanFieldsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("forbidden characters are dropped") << u"a\\b/c:d*e?f>g<h|i"_s << u"abcdefghi"_s;
        QTest::newRow("quotes and blanks are kept") << u"The \"Reds\""_s << u"The \"Reds\""_s;
    }
    void typing()
    {
        QFETCH(QString, typed);
        Fields f;
        QTest::keyClicks(f.your, typed);
        QTEST(f.your->text(), "kept");
        QCOMPARE(f.notices.count(), 0); // forbidden input is never reported
    }

    void pasting_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::newRow("allowed") << u"Red"_s << u"-Blue"_s << u"Red-Blue"_s;
        QTest::newRow("a forbidden character empties the field") << u"Red"_s << u"a/b"_s << u""_s;
        QTest::newRow("50 characters keep 45") << u""_s << QString(50, u'x') << QString(45, u'x');
        QTest::newRow("control characters are no forbidden characters") << u""_s << u"a\tb"_s << u"a\tb"_s;
    }
    void pasting()
    {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        Fields f;
        f.your->setText(before);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(f.your, Qt::Key_V, Qt::ControlModifier);
        QTEST(f.your->text(), "after");
    }

    void leavingTrimsAndEscapeEmpties()
    {
        Fields f;
        f.your->setText(QStringLiteral("  Red Team  "));
        f.opponent->setFocus();
        QTRY_COMPARE(f.your->text(), QStringLiteral("Red Team"));
        f.opponent->setText(QStringLiteral("Blue"));
        QTest::keyClick(f.opponent, Qt::Key_Escape);
        QCOMPARE(f.opponent->text(), QString());
    }

    void busyClipboardOffersRetry_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::newRow("retry asks again") << int(AnswerRetry) << 2;
        QTest::newRow("cancel gives up") << int(AnswerCancel) << 1;
    }
    void busyClipboardOffersRetry()
    {
        QFETCH(int, answer);
        QFETCH(int, asked);
        Fields f;
        f.clipboard.busyTimes = 1;
        f.notices.answerNext(answer);
        QTest::keyClick(f.your, Qt::Key_A); // every key but Escape asks the clipboard first
        QCOMPARE(f.notices.count(), 1);
        QCOMPARE(f.notices.shown().first().text, QStringLiteral("Windows Clipboard was not available"));
        QCOMPARE(f.notices.shown().first().flags, int(NoticeRetryCancel));
        QCOMPARE(f.clipboard.asked, asked);
        QCOMPARE(f.your->text(), QStringLiteral("a")); // the key itself still counts
    }

    void checkWarnsAboutTheFirstEmptyField_data()
    {
        QTest::addColumn<QString>("your");
        QTest::addColumn<QString>("opponent");
        QTest::addColumn<QString>("warning");
        QTest::newRow("both empty: your clan only") << u""_s << u""_s << u"Invalid clan name specified   "_s;
        QTest::newRow("opponent empty") << u"Red"_s << u""_s << u"Invalid opponent clan name specified   "_s;
        QTest::newRow("blanks pass the check") << u" "_s << u"Blue"_s << u""_s;
    }
    void checkWarnsAboutTheFirstEmptyField()
    {
        QFETCH(QString, your);
        QFETCH(QString, opponent);
        QFETCH(QString, warning);
        Fields f;
        f.your->setText(your);
        f.opponent->setText(opponent);
        QLineEdit* empty = your.isEmpty() ? f.your : f.opponent;
        QColor duringNotice;
        f.notices.whileShown(
            [&](const ScriptedNotices::Shown&) { duringNotice = empty->palette().color(QPalette::Base); });
        QCOMPARE(f.clans.ClanNamesInvalid(), !warning.isEmpty());
        QCOMPARE(f.notices.lastText(), warning);
        if (warning.isEmpty())
            return;
        QCOMPARE(duringNotice, QColor(255, 192, 192));
        QVERIFY(empty->palette().color(QPalette::Base) != QColor(255, 192, 192));
        QCOMPARE(f.pageShown, 1);
        QCOMPARE(f.cues.played(), QList<int>{CueFailure});
        QTRY_VERIFY(empty->hasFocus());
    }
};

QTEST_MAIN(ClanFieldsTest)
#include "clan_fields_test.moc"
