#include "core/NoticeFormat.h"
#include "core/ProgramTitle.h"
#include "shell/MessageBoxNotices.h"
#include "support/ScriptedNotices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace spectrel;

namespace {

// How a test answers the box.
enum class Press { Button, Enter, Escape, CloseWindow };

// What the box looked like while it was open; compared once ShowNotice has returned, because a failed check
// inside the box's event loop could not close the box.
struct Seen {
    bool found = false;
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QString labelText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget* parent = nullptr;
    bool modal = false;
};

// Runs `act` on the message box once it is open. Polls a bounded number of times: the box opens inside
// ShowNotice's own event loop, after this is armed.
void whenBoxOpens(std::function<void(QMessageBox*)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box && ++*tries < 1000)
            return;
        poll->stop();
        poll->deleteLater();
        if (box)
            act(box);
    });
    poll->start();
}

Seen look(QMessageBox* box)
{
    Seen seen;
    seen.found = true;
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.format = box->textFormat();
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        seen.labelText = label->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.defaultButton = box->standardButton(box->defaultButton());
    seen.parent = box->parentWidget();
    seen.modal = box->isModal();
    return seen;
}

} // namespace

Q_DECLARE_METATYPE(Press)

class NoticesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void body_data();
    void body();
    void caption_data();
    void caption();
    void messageBox_data();
    void messageBox();
    void ownerlessBox();
    void ownerGoneWhileOpen();
    void scriptedAnswers();
};

void NoticesTest::body_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("body");

    QTest::newRow("warning ending in three blanks gets six") << "HLTV proxy already recording   "
                                                             << "HLTV proxy already recording      ";
    QTest::newRow("two lines") << "A\r\nB"
                               << "A   \r\nB   ";
    QTest::newRow("empty") << ""
                           << "   ";
    QTest::newRow("only a line break") << "\r\n"
                                       << "   \r\n   ";
    QTest::newRow("empty line between") << "A\r\n\r\nB"
                                        << "A   \r\n   \r\nB   ";
    QTest::newRow("ends in a line break") << "A\r\n"
                                          << "A   \r\n   ";
    // Only the CR LF pair is a line break here; lone LF or CR stay as they are.
    QTest::newRow("lone LF") << "A\nB"
                             << "A\nB   ";
    QTest::newRow("lone CR") << "A\rB"
                             << "A\rB   ";
    QTest::newRow("CR before the pair") << "A\r\r\nB"
                                        << "A\r   \r\nB   ";
    QTest::newRow("LF CR is not a pair") << "A\n\rB"
                                         << "A\n\rB   ";
}

void NoticesTest::body()
{
    QFETCH(QString, text);
    QFETCH(QString, body);
    QCOMPARE(noticeBody(text), body);
}

void NoticesTest::caption_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");

    QTest::newRow("warning") << "Warning"
                             << "Spectrel by Zovan v1.2.9 - Warning";
    QTest::newRow("error") << "Error"
                           << "Spectrel by Zovan v1.2.9 - Error";
    QTest::newRow("several words") << "Delete registry entries"
                                   << "Spectrel by Zovan v1.2.9 - Delete registry entries";
    QTest::newRow("empty kind") << ""
                                << "Spectrel by Zovan v1.2.9 - ";
}

void NoticesTest::caption()
{
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QCOMPARE(noticeCaption(kind), caption);
    QVERIFY(caption.startsWith(ProgramTitle() + QStringLiteral(" - ")));
}

void NoticesTest::messageBox_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("icon");    // QMessageBox::Icon
    QTest::addColumn<int>("buttons"); // QMessageBox::StandardButtons
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<Press>("press");
    QTest::addColumn<int>("button"); // the button clicked when press is Button
    QTest::addColumn<int>("answer");

    const QString busy = QStringLiteral("Windows Clipboard was not available   ");
    const QString question = QStringLiteral("Delete all settings?");
    const int okOnly = QMessageBox::Ok;
    const int retryCancel = QMessageBox::Retry | QMessageBox::Cancel;
    const int yesNo = QMessageBox::Yes | QMessageBox::No;

    QTest::newRow("16 ok") << 16 << "Overflow"
                           << "Error" << int(QMessageBox::Critical) << okOnly << int(QMessageBox::Ok)
                           << Press::Button << int(QMessageBox::Ok) << 1;
    QTest::newRow("16 escape") << 16 << "Overflow"
                               << "Error" << int(QMessageBox::Critical) << okOnly << int(QMessageBox::Ok)
                               << Press::Escape << 0 << 1;
    QTest::newRow("48 ok") << 48 << "HLTV proxy already recording   "
                           << "Warning" << int(QMessageBox::Warning) << okOnly << int(QMessageBox::Ok)
                           << Press::Button << int(QMessageBox::Ok) << 1;
    QTest::newRow("48 window closed") << 48 << "HLTV proxy already recording   "
                                      << "Warning" << int(QMessageBox::Warning) << okOnly
                                      << int(QMessageBox::Ok) << Press::CloseWindow << 0 << 1;
    QTest::newRow("53 retry") << 53 << busy << "Warning" << int(QMessageBox::Warning) << retryCancel
                              << int(QMessageBox::Retry) << Press::Button << int(QMessageBox::Retry) << 4;
    QTest::newRow("53 cancel") << 53 << busy << "Warning" << int(QMessageBox::Warning) << retryCancel
                               << int(QMessageBox::Retry) << Press::Button << int(QMessageBox::Cancel) << 2;
    QTest::newRow("53 enter takes retry") << 53 << busy << "Warning" << int(QMessageBox::Warning)
                                          << retryCancel << int(QMessageBox::Retry) << Press::Enter << 0 << 4;
    QTest::newRow("53 escape") << 53 << busy << "Warning" << int(QMessageBox::Warning) << retryCancel
                               << int(QMessageBox::Retry) << Press::Escape << 0 << 2;
    QTest::newRow("53 window closed") << 53 << busy << "Warning" << int(QMessageBox::Warning) << retryCancel
                                      << int(QMessageBox::Retry) << Press::CloseWindow << 0 << 2;
    QTest::newRow("64 ok") << 64 << "This is the latest version of Spectrel by Zovan"
                           << "Update check" << int(QMessageBox::Information) << okOnly
                           << int(QMessageBox::Ok) << Press::Button << int(QMessageBox::Ok) << 1;
    QTest::newRow("64 two lines, escape") << 64 << "Welcome\r\nRead the notes"
                                          << "Welcome notes" << int(QMessageBox::Information) << okOnly
                                          << int(QMessageBox::Ok) << Press::Escape << 0 << 1;
    QTest::newRow("68 yes") << 68 << question << "Delete registry entries" << int(QMessageBox::Information)
                            << yesNo << int(QMessageBox::Yes) << Press::Button << int(QMessageBox::Yes) << 6;
    QTest::newRow("68 no") << 68 << question << "Delete registry entries" << int(QMessageBox::Information)
                           << yesNo << int(QMessageBox::Yes) << Press::Button << int(QMessageBox::No) << 7;
    QTest::newRow("68 enter takes yes") << 68 << question << "Update check" << int(QMessageBox::Information)
                                        << yesNo << int(QMessageBox::Yes) << Press::Enter << 0 << 6;
    QTest::newRow("68 escape") << 68 << question << "Update check" << int(QMessageBox::Information) << yesNo
                               << int(QMessageBox::Yes) << Press::Escape << 0 << 7;
    QTest::newRow("68 window closed") << 68 << question << "Update check" << int(QMessageBox::Information)
                                      << yesNo << int(QMessageBox::Yes) << Press::CloseWindow << 0 << 7;
    // A failure description may hold markup characters; they must read as written.
    QTest::newRow("markup stays text") << 16 << "<b>bad</b> &amp; <i>worse</i>"
                                       << "Error" << int(QMessageBox::Critical) << okOnly
                                       << int(QMessageBox::Ok) << Press::Button << int(QMessageBox::Ok) << 1;
}

void NoticesTest::messageBox()
{
    QFETCH(int, flags);
    QFETCH(QString, text);
    QFETCH(QString, kind);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(Press, press);
    QFETCH(int, button);
    QFETCH(int, answer);

    QWidget owner;
    owner.setWindowTitle(ProgramTitle());
    owner.resize(300, 200);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    MessageBoxNotices notices(&owner);
    Seen seen;
    whenBoxOpens([&](QMessageBox* box) {
        seen = look(box);
        switch (press) {
        case Press::Button:
            if (QAbstractButton* b = box->button(QMessageBox::StandardButton(button)))
                QTest::mouseClick(b, Qt::LeftButton);
            else
                box->done(0); // the check of the buttons below reports it
            break;
        case Press::Enter:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case Press::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case Press::CloseWindow:
            box->close();
            break;
        }
    });
    const int result = notices.ShowNotice(text, flags, kind);

    QVERIFY2(seen.found, "no message box opened");
    QCOMPARE(seen.caption, noticeCaption(kind));
    QCOMPARE(seen.text, noticeBody(text));
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.labelText, noticeBody(text));
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(int(seen.buttons), buttons);
    QCOMPARE(int(seen.defaultButton), defaultButton);
    QCOMPARE(seen.parent, &owner);
    QVERIFY(seen.modal);
    QCOMPARE(result, answer);
    QVERIFY(!QApplication::activeModalWidget());
}

void NoticesTest::ownerlessBox()
{
    MessageBoxNotices notices;
    Seen seen;
    whenBoxOpens([&](QMessageBox* box) {
        seen = look(box);
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    QCOMPARE(notices.ShowNotice(QStringLiteral("Download the new version?"), NoticeYesNo,
                                QStringLiteral("Update check")),
             int(AnswerNo));
    QVERIFY(seen.found);
    QCOMPARE(seen.parent, nullptr);
    QVERIFY(seen.modal);
}

// The error trap unloads the main window; if that happens while a notice is open, the box goes with its owner
// and the notice answers as if it had been dismissed.
void NoticesTest::ownerGoneWhileOpen()
{
    auto* owner = new QWidget;
    owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(owner));
    QPointer<QWidget> watched = owner;

    MessageBoxNotices notices(owner);
    bool found = false;
    whenBoxOpens([&](QMessageBox*) {
        found = true;
        delete owner;
    });
    QCOMPARE(notices.ShowNotice(QStringLiteral("Windows Clipboard was not available   "), NoticeRetryCancel,
                                QStringLiteral("Warning")),
             int(AnswerCancel));
    QVERIFY(found);
    QVERIFY(!watched);
    QCOMPARE(notices.owner(), nullptr);
    QVERIFY(!QApplication::activeModalWidget());
}

void NoticesTest::scriptedAnswers()
{
    ScriptedNotices notices;
    notices.answerNext(AnswerRetry);
    notices.answerNext(AnswerCancel);
    QCOMPARE(notices.ShowNotice(QStringLiteral("busy"), NoticeRetryCancel, QStringLiteral("Warning")), 4);
    QCOMPARE(notices.ShowNotice(QStringLiteral("busy"), NoticeRetryCancel, QStringLiteral("Warning")), 2);
    // Unscripted notices take the box's first button.
    QCOMPARE(notices.ShowNotice(QStringLiteral("busy"), NoticeRetryCancel, QStringLiteral("Warning")), 4);
    QCOMPARE(
        notices.ShowNotice(QStringLiteral("delete?"), NoticeYesNo, QStringLiteral("Delete registry entries")),
        6);
    QCOMPARE(notices.ShowNotice(QStringLiteral("oops"), NoticeError, QStringLiteral("Error")), 1);
    QCOMPARE(notices.count(), 5);
    QCOMPARE(notices.shown().at(3).kind, QStringLiteral("Delete registry entries"));
    QCOMPARE(notices.shown().at(3).flags, 68);
    QCOMPARE(notices.lastText(), QStringLiteral("oops"));
}

QTEST_MAIN(NoticesTest)
#include "notices_test.moc"
