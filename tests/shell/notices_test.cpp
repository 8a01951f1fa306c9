// The notice body and caption, and real message boxes answered the ways a user can answer them.
#include "core/NoticeFormat.h"
#include "core/ProgramTitle.h"
#include "shell/MessageBoxNotices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

using namespace spectrel;
using namespace Qt::StringLiterals;

namespace {

// Runs `act` on the message box once it is open inside ShowNotice's own event loop; gives up after a while.
void whenBoxOpens(std::function<void(QMessageBox*)> act)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box && ++*tries < 1000)
            return;
        poll->deleteLater();
        if (box)
            act(box);
    });
    poll->start(10);
}

} // namespace

class NoticesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void body_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("body");
        QTest::newRow("ending in three blanks gets six")
            << u"already recording   "_s << u"already recording      "_s;
        QTest::newRow("two lines") << u"A\r\nB"_s << u"A   \r\nB   "_s;
        QTest::newRow("empty") << u""_s << u"   "_s;
        // Only the CR LF pair is a line break; lone LF or CR stay as they are.
        QTest::newRow("lone LF and CR") << u"A\nB\rC"_s << u"A\nB\rC   "_s;
        QTest::newRow("CR before the pair") << u"A\r\r\nB"_s << u"A\r   \r\nB   "_s;
    }
    void body()
    {
        QFETCH(QString, text);
        QTEST(noticeBody(text), "body");
        QCOMPARE(noticeCaption(QStringLiteral("Delete registry entries")),
                 ProgramTitle() + QStringLiteral(" - Delete registry entries"));
    }

    void messageBox_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("press"); // a button, or Qt::Key_Return, Qt::Key_Escape, 0 for the close button
        QTest::addColumn<int>("answer");
        const int ok = QMessageBox::Ok;
        const int retryCancel = QMessageBox::Retry | QMessageBox::Cancel;
        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("16 OK") << 16 << int(QMessageBox::Critical) << ok << ok << 1;
        QTest::newRow("48 closed") << 48 << int(QMessageBox::Warning) << ok << 0 << 1;
        QTest::newRow("53 return takes retry")
            << 53 << int(QMessageBox::Warning) << retryCancel << int(Qt::Key_Return) << 4;
        QTest::newRow("53 closed") << 53 << int(QMessageBox::Warning) << retryCancel << 0 << 2;
        QTest::newRow("68 no") << 68 << int(QMessageBox::Information) << yesNo << int(QMessageBox::No) << 7;
        QTest::newRow("68 return takes yes")
            << 68 << int(QMessageBox::Information) << yesNo << int(Qt::Key_Return) << 6;
        QTest::newRow("68 escape") << 68 << int(QMessageBox::Information) << yesNo << int(Qt::Key_Escape)
                                   << 7;
    }
    void messageBox()
    {
        QFETCH(int, flags);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, press);
        QWidget owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        // A failure description may hold markup characters; they must read as written.
        const QString text = QStringLiteral("<b>bad</b> &amp;\r\nworse");

        // What the box looked like is compared once it is closed: a failed check inside its event loop could
        // not close it.
        std::optional<QMessageBox::Icon> seenIcon;
        QString caption, shown;
        int seenButtons = 0, defaultButton = 0;
        Qt::TextFormat format = Qt::AutoText;
        QWidget* parent = nullptr;
        whenBoxOpens([&](QMessageBox* box) {
            seenIcon = box->icon();
            caption = box->windowTitle();
            shown = box->text();
            format = box->textFormat();
            seenButtons = int(box->standardButtons());
            defaultButton = int(box->standardButton(box->defaultButton()));
            parent = box->parentWidget();
            if (press == 0)
                box->close();
            else if (press == Qt::Key_Return || press == Qt::Key_Escape)
                QTest::keyClick(box, Qt::Key(press));
            else if (QAbstractButton* b = box->button(QMessageBox::StandardButton(press)))
                QTest::mouseClick(b, Qt::LeftButton);
            else
                box->done(0); // the check of the buttons below reports it
        });
        const int result = MessageBoxNotices(&owner).ShowNotice(text, flags, QStringLiteral("Update check"));

        QVERIFY2(seenIcon, "no message box opened");
        QCOMPARE(int(*seenIcon), icon);
        QCOMPARE(caption, noticeCaption(QStringLiteral("Update check")));
        QCOMPARE(shown, noticeBody(text));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(seenButtons, buttons);
        // The first button is the default: Retry, Yes or the only one.
        QCOMPARE(defaultButton, buttons & QMessageBox::Retry ? int(QMessageBox::Retry)
                                : buttons & QMessageBox::Yes ? int(QMessageBox::Yes)
                                                             : int(QMessageBox::Ok));
        QCOMPARE(parent, &owner);
        QTEST(result, "answer");
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The error trap unloads the main window; if that happens while a notice is open, the box goes with its
    // owner and the notice answers as if it had been dismissed.
    void ownerGoneWhileOpen()
    {
        auto* owner = new QWidget;
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner));
        MessageBoxNotices notices(owner);
        bool found = false;
        whenBoxOpens([&](QMessageBox*) {
            found = true;
            delete owner;
        });
        QCOMPARE(notices.ShowNotice(QStringLiteral("busy   "), NoticeRetryCancel, QStringLiteral("Warning")),
                 int(AnswerCancel));
        QVERIFY(found);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(NoticesTest)
#include "notices_test.moc"
