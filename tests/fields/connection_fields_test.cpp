// The connection fields in the main window with real keys, buttons and the real clipboard (on the tests' X
// server); a clipboard held by another program is played by a stand-in; the right mouse button in a field.

#include "core/Cues.h"
#include "fields/Clipboard.h"
#include "fields/ConnectionFieldEditors.h"
#include "fields/FieldHook.h"
#include "support/TestDoubles.h"
#include "support/TestWindow.h"
#include "support/Xdotool.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstring>

using namespace spectrel;
using namespace Qt::StringLiterals;

namespace {

// The main window shown, not started: its fields, buttons and auto-refresh box, with the box ticked by the
// user.
struct Form : Window {
    QLineEdit* server = c().field("tServer");
    QLineEdit* port = c().field("tPort");
    QLineEdit* rcon = c().field("tRcon");
    QCheckBox* autoRefresh = c().box("cAutoRefresh");

    Form()
    {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->StartupDone = true;
        form->AutoRefreshByUser = true;
        autoRefresh->setChecked(true);
        cues.clear();
    }
    QLineEdit* field(const QString& name) const { return c().field(name.toStdString()); }
};

void putImageOnClipboard()
{
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(data);
}

// Records the mouse releases that reach a widget.
class Releases : public QObject {
public:
    QList<Qt::MouseButton> seen;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            seen.append(static_cast<QMouseEvent*>(event)->button());
        return false;
    }
};

// Another X client that takes the clipboard and then never answers a question about it, as a program that
// hangs does.
class HungClipboardOwner {
public:
    HungClipboardOwner() : m_c(xcb_connect(nullptr, nullptr))
    {
        const char name[] = "CLIPBOARD";
        xcb_intern_atom_reply_t* clipboard =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, std::strlen(name), name), nullptr);
        const xcb_window_t window = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, window,
                          xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(m_c, window, clipboard->atom, XCB_CURRENT_TIME);
        std::free(clipboard);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); // a round trip
    }
    ~HungClipboardOwner() { xcb_disconnect(m_c); }

private:
    xcb_connection_t* m_c;
};

} // namespace

class ConnectionFieldsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const char* rows[][4] = {
            {"server", "tServer", "Hltv-1.example/x:_ @", "Hltv-1.example/x"},
            {"port", "tPort", "27a0:15", "27015"},
            {"password takes everything", "tRcon", "p@ss: w*rd", "p@ss: w*rd"},
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2])
                                << QString::fromLatin1(r[3]);
    }
    void typing()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Form f;
        QTest::keyClicks(f.field(field), typed);
        QCOMPARE(f.field(field)->text(), kept);
        QCOMPARE(f.field(field)->displayText(), field == "tRcon" ? QString(kept.size(), u'*') : kept);
        // Every edit switches the automatic refresh off, as the program's change: no click.
        QVERIFY(!f.autoRefresh->isChecked());
        QVERIFY(f.cues.played().isEmpty());
        QCOMPARE(f.notices.count(), 0);
    }

    // Keys that type no character still edit, pressed through the X server as a user presses them (the
    // caret after the second character, or the third and fourth selected for a key with a modifier).
    void editingKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("Delete in the server") << u"tServer"_s << u"Delete"_s << u"hot"_s << u"old"_s;
        QTest::newRow("keypad Delete in the port") << u"tPort"_s << u"KP_Delete"_s << u"271"_s << u"old"_s;
        QTest::newRow("Backspace in the port") << u"tPort"_s << u"BackSpace"_s << u"201"_s << u"old"_s;
        QTest::newRow("Shift+Delete cuts") << u"tServer"_s << u"shift+Delete"_s << u"ho"_s << u"st"_s;
        QTest::newRow("Ctrl+C copies") << u"tServer"_s << u"ctrl+c"_s << u"host"_s << u"st"_s;
        QTest::newRow("Ctrl+X cuts in the port") << u"tPort"_s << u"ctrl+x"_s << u"27"_s << u"01"_s;
        QTest::newRow("Escape empties the password") << u"tRcon"_s << u"Escape"_s << u""_s << u"old"_s;
    }
    void editingKeys()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, kept);
        QFETCH(QString, clipboard);
        Form f;
        QLineEdit* edited = f.field(field);
        QApplication::clipboard()->setText(u"old"_s);
        edited->setText(field == u"tPort" ? u"2701"_s : u"host"_s);
        edited->setFocus();
        QTRY_VERIFY(edited->hasFocus());
        if (keys.contains(u'+'))
            edited->setSelection(2, 2);
        else
            edited->setCursorPosition(2);
        QVERIFY(xdotool({u"key"_s, u"--clearmodifiers"_s, keys}));
        QTRY_COMPARE(QApplication::clipboard()->text(), clipboard); // a copy leaves the text as it was
        QTRY_COMPARE(edited->text(), kept);
    }

    // A "Paste" button, or Ctrl+V over the whole server field (index -1), with "old.host", "27015" and "pw"
    // in the fields before; the rules themselves are connection_field_rules_test's.
    void pasteButtons_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("notice");
        auto row = [](const char* name, int index, const QString& clip, const char* server, const char* port,
                      const QString& rcon, const QString& notice = {}) {
            QTest::newRow(name) << index << clip
                                << QStringList{QString::fromLatin1(server), QString::fromLatin1(port), rcon}
                                << notice;
        };
        row("password keeps 33 of 40", 2, QString(40, u'#'), "old.host", "27015", QString(33, u'#'));
        row("port trimmed, keeps 5", 1, QStringLiteral("  123456 "), "old.host", "12345",
            QStringLiteral("pw"));
        row("server replaced, port moved", 0, QStringLiteral("10.0.0.1:999"), "10.0.0.1", "999",
            QStringLiteral("pw"));
        row("Ctrl+V: address and port", -1, QStringLiteral("10.0.0.1:999"), "10.0.0.1", "999",
            QStringLiteral("pw"));
        row("Ctrl+V: letter in the port", -1, QStringLiteral("host:27o15"), "host", "", QStringLiteral("pw"));
        row("no text on the clipboard", 0, QString(), "old.host", "27015", QStringLiteral("pw"),
            QStringLiteral("Windows Clipboard contains no textual information"));
    }
    void pasteButtons()
    {
        QFETCH(int, index);
        QFETCH(QString, clipboard);
        Form f;
        f.server->setText(QStringLiteral("old.host"));
        f.port->setText(QStringLiteral("27015"));
        f.rcon->setText(QStringLiteral("pw"));
        if (clipboard.isNull())
            putImageOnClipboard();
        else
            QApplication::clipboard()->setText(clipboard);
        if (index < 0) {
            f.server->clear();
            QTest::keyClick(f.server, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::mouseClick(f.c().button("coPaste", index), Qt::LeftButton);
        }
        QTEST((QStringList{f.server->text(), f.port->text(), f.rcon->text()}), "fields");
        QTEST(f.notices.lastText(), "notice");
        QVERIFY(f.cues.played().isEmpty());
    }

    void leavingServerChecksIt()
    {
        Form f;
        f.server->setFocus();
        QTRY_VERIFY(f.server->hasFocus());
        f.server->setText(QStringLiteral("a..b"));
        f.port->setFocus();
        QTRY_COMPARE(f.server->text(), QString());
    }

    // With no text on the clipboard Ctrl+C does nothing, and the field's own copy does not stand in.
    void copyWithoutTextOnTheClipboard()
    {
        Form f;
        putImageOnClipboard();
        f.server->setText(QStringLiteral("example"));
        f.server->selectAll();
        QTest::keyClick(f.server, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!QApplication::clipboard()->mimeData()->hasText());
        QCOMPARE(f.server->text(), QStringLiteral("example"));
    }

    // A busy clipboard at a "Paste" button: Retry asks again and pastes, Cancel leaves the field. The
    // retrying itself is clan_fields_test's, a key with a busy clipboard hungClipboardOwnerIsBusy's.
    void busyClipboardAtPaste_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("port");
        QTest::newRow("retry") << int(AnswerRetry) << 2 << QStringLiteral("8080");
        QTest::newRow("cancel") << int(AnswerCancel) << 1 << QStringLiteral("27");
    }
    void busyClipboardAtPaste()
    {
        QFETCH(int, answer);
        QFETCH(int, asked);
        QWidget window;
        QLineEdit server(&window), port(&window), rcon(&window);
        ScriptedNotices notices;
        BusyClipboard clipboard;
        ErrorTrap trap{[](const RuntimeFailure& failure) { QFAIL(qPrintable(failure.description())); }};
        ConnectionFieldEditors fields(&server, &port, &rcon,
                                      ConnectionFieldEditors::Services{notices, clipboard, trap});
        port.setText(QStringLiteral("27"));
        QApplication::clipboard()->setText(QStringLiteral("8080"));
        clipboard.busyTimes = 1;
        notices.answerNext(answer);
        fields.coPaste_Click(1);
        QCOMPARE(notices.count(), 1);
        QCOMPARE(clipboard.asked, asked);
        QTEST(port.text(), "port");
    }

    // A key in the server field asks the clipboard first; an owner that never answers makes it busy.
    void hungClipboardOwnerIsBusy()
    {
        Form f;
        f.server->setFocus();
        HungClipboardOwner owner;
        QTRY_VERIFY(!QApplication::clipboard()->ownsClipboard());
        f.notices.answerNext(AnswerCancel);
        QTest::keyClick(f.server, Qt::Key_A);
        QCOMPARE(f.notices.count(), 1);
        QCOMPARE(f.notices.shown().first().text, QStringLiteral("Windows Clipboard was not available"));
        QCOMPARE(f.notices.shown().first().flags, int(NoticeRetryCancel));
        QCOMPARE(f.server->text(), QStringLiteral("a")); // the key itself still counts
    }

    void rightClickOpensNoMenu()
    {
        QWidget window;
        auto* field = new QLineEdit(QStringLiteral("a.b"), &window);
        Releases releases;
        field->installEventFilter(&releases);
        FieldHook hook;
        hook.HookField(field, 2);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint inField = field->mapTo(&window, field->rect().center());
        // Through the window system, as a real click arrives, so that the platform asks for the menu too.
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, inField);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(releases.seen, QList<Qt::MouseButton>{Qt::LeftButton});

        hook.UnhookField(field, 2);
        QVERIFY(!hook.hooked(2));
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, inField);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QApplication::activePopupWidget()->close();

        hook.UnhookField(field, 3); // never hooked: nothing happens
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, hook.HookField(field, 5));
    }
};

QTEST_MAIN(ConnectionFieldsTest)
#include "connection_fields_test.moc"
