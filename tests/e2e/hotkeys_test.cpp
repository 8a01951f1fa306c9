// The global hotkeys of the real program on the tests' X server: a combination pressed while another window
// has the focus runs the row's action against the simulator, switching the row off releases it, a
// combination another client holds is refused with the program's warning, `spectrelctl trigger` runs the
// same action from the command line, and the desktop entry's actions run it too, starting the program first
// when none runs. Through the desktop portal (a stand-in on a session bus of the test's own), the rows are
// bound as shortcuts, Activated runs the row's action, and a portal's refusal is the refused registration's.

#include "ProgramRun.h"
#include "support/SimProcess.h"

#include <xcb/xcb_keysyms.h>

#include <QRegularExpression>

#include <functional>
#include <memory>

using namespace spectrel;

namespace {

constexpr xcb_keysym_t kF6 = 0xffc3;
constexpr std::uint16_t kCtrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;

// The test's own X client: a window that takes the focus away from the program, and grabs of its own.
class OtherClient {
public:
    OtherClient() : m_c(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_c);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, kF6);
        m_f6 = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
    }
    ~OtherClient() { xcb_disconnect(m_c); }

    // Maps a window of its own and gives it the input focus.
    void takeFocus()
    {
        const xcb_window_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 1000, 800, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(m_c, w);
        xcb_set_input_focus(m_c, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); // a round trip
    }
    // Ctrl+Shift+F6 grabbed on the root window; false when another client holds it.
    bool grabCtrlShiftF6()
    {
        xcb_generic_error_t* error =
            xcb_request_check(m_c, xcb_grab_key_checked(m_c, 1, m_root, kCtrlShift, m_f6, XCB_GRAB_MODE_ASYNC,
                                                        XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_f6 = 0;
};

// Repeats `action` until the simulator has seen `n` commands `command`: a click or a press may come before
// the window is ready for it (it is mapped before its first paint, and a button is enabled only by a report).
// Bounded.
bool repeatUntil(SimProcess& sim, const QString& command, qsizetype n, const std::function<bool()>& action)
{
    for (int attempt = 0; attempt < 5 && sim.commands().count(command) < n; ++attempt) {
        if (!action())
            return false;
        const QDeadlineTimer deadline(2000);
        while (sim.commands().count(command) < n && !deadline.hasExpired())
            sim.waitForCommands(int(sim.commands().size()) + 1, 100);
    }
    return sim.commands().count(command) >= n;
}

// Asks the window for a status report and waits until the simulator saw it; the window learns the proxy's
// state from the reply.
bool refresh(XDisplay& x, xcb_window_t window, SimProcess& sim)
{
    return repeatUntil(sim, QStringLiteral("status"), sim.commands().count(QStringLiteral("status")) + 1,
                       [&] { return clickControl(x, window, "cRefresh"); });
}

bool pressCtrlShiftF6()
{
    return xdotool({"key", "ctrl+shift+F6"});
}

// The stop row "Stop now" on CTRL+SHIFT+F6, enabled; the connection fields point at the simulator.
QByteArray stopRow(const QString& port)
{
    return "FirstRun=False\nLastTab=1\ntServer=127.0.0.1\ntPort=" + port.toLatin1() +
           "\ntRcon=demo\ncStopAction=1\ncCtrlStop=1\ncShiftStop=1\ncAltStop=0\ncSK=41\ncSHE=1\n";
}

// A session bus of the test's own, which activates no service, and the stand-in portal on it (unless it is
// to be missing). The stand-in prints the calls it takes and emits Activated when asked.
class PortalBus {
public:
    ~PortalBus()
    {
        for (QProcess* p : {&m_portal, &m_daemon}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    bool start(const QStringList& portalArgs, bool withPortal = true)
    {
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(
            "<busconfig><type>session</type><listen>unix:tmpdir=" + m_dir.path().toUtf8() +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
            "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (m_address.isEmpty() || !withPortal)
            return !m_address.isEmpty();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_portal.setProcessEnvironment(env);
        m_portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_portal.start(QStringLiteral(SPECTREL_PORTAL_STAND_IN), portalArgs);
        return m_portal.waitForStarted(5000) && waitFor(QStringLiteral("ready"));
    }
    QString address() const { return m_address; }

    // The lines the stand-in printed so far.
    QStringList calls()
    {
        m_portal.waitForReadyRead(0);
        while (m_portal.canReadLine())
            m_calls << QString::fromUtf8(m_portal.readLine()).trimmed();
        return m_calls;
    }
    bool waitFor(const QString& line, int ms = kWaitMs)
    {
        const QDeadlineTimer deadline(ms);
        while (!calls().contains(line) && !deadline.hasExpired() && m_portal.state() == QProcess::Running)
            m_portal.waitForReadyRead(50);
        return m_calls.contains(line);
    }
    bool activate(const QString& shortcut)
    {
        return m_portal.write("activate " + shortcut.toLatin1() + '\n') > 0 &&
               m_portal.waitForBytesWritten(1000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_portal;
    QString m_address;
    QStringList m_calls;
};

// The program's hotkeys through the portal on `bus`, whatever Qt platform it runs on.
void usePortal(ProgramRun& run, const PortalBus& bus)
{
    run.setEnv(QStringLiteral("SPECTREL_HOTKEYS"), QStringLiteral("portal"));
    run.setEnv(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
}

// The command line of one of the desktop entry's actions ("Record", "Stop"), its program first.
QStringList desktopAction(const QString& action)
{
    QFile entry(QStringLiteral(SPECTREL_DESKTOP_ENTRY));
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(entry.readAll()).split(u'\n');
    const qsizetype group = lines.indexOf(QStringLiteral("[Desktop Action %1]").arg(action));
    for (qsizetype i = group + 1; group >= 0 && i < lines.size() && !lines[i].startsWith(u'['); ++i) {
        if (lines[i].startsWith(u"Exec="))
            return lines[i].mid(5).split(u' ', Qt::SkipEmptyParts);
    }
    return {};
}

} // namespace

class HotkeysTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (DISPLAY is not set)");
        m_x = std::make_unique<XDisplay>();
        QVERIFY(m_x->isOpen());
    }

    // In a Wayland session, the program started with QT_QPA_PLATFORM=xcb (as ProgramRun starts it) runs on
    // XWayland and grabs its keys there: a game that is an X client too has the focus, and the grab fires.
    void pressedWhileAnotherWindowHasTheFocus()
    {
        SimProcess sim;
        QVERIFY2(sim.start({"--recording", "match1"}), qPrintable(sim.errorText()));
        ProgramRun run;
        run.setEnv(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        run.setEnv(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("spectrel-test-absent"));
        const xcb_window_t window = run.startToWindow(*m_x, stopRow(sim.portText()));
        QVERIFY2(window, "the main window did not open");
        OtherClient other;
        other.takeFocus();

        QVERIFY(refresh(*m_x, window, sim));
        const QString stop = QStringLiteral("stoprecording");
        QVERIFY2(repeatUntil(sim, stop, 1, pressCtrlShiftF6), qPrintable(sim.commands().join(u',')));

        // The trigger from the command line runs the same action.
        QVERIFY(sim.control("record match2"));
        QVERIFY(refresh(*m_x, window, sim));
        QVERIFY2(repeatUntil(sim, stop, 2,
                             [&] {
                                 return run.spectrelctl({"trigger", "stop"}) == 0;
                             }),
                 qPrintable(sim.commands().join(u',')));

        // Unticking the row releases the combination: another client can take it.
        QVERIFY(clickControl(*m_x, window, "Tabek", {}, QPoint(20, 8))); // the first page's tab
        QVERIFY(clickControl(*m_x, window, "cSHE"));
        QTRY_COMPARE_WITH_TIMEOUT(run.setting(QStringLiteral("cSHE")), QStringLiteral("0"), kWaitMs);
        QVERIFY2(other.grabCtrlShiftF6(), "the program still holds CTRL+SHIFT+F6");
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    // A tick refused because the row is incomplete clears the box and stores "0", so that the next click
    // ticks it and is refused again; real clicks on the real box.
    void refusedTickStoresClear_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("warning");
        QTest::newRow("no key chosen") << QByteArray("cStopAction=1\ncCtrlStop=1\ncShiftStop=1\n")
                                       << QByteArray("warning: No stopping action or hotkey selected");
        QTest::newRow("no modifier") << QByteArray(
                                            "cStopAction=1\ncSK=41\ncCtrlStop=0\ncAltStop=0\ncShiftStop=0\n")
                                     << QByteArray("warning: At least one special key must be selected");
    }
    void refusedTickStoresClear()
    {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, warning);
        ProgramRun run;
        const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\nLastTab=0\ncSHE=0\n" + row);
        QVERIFY2(window, "the main window did not open");
        for (int click = 1; click <= 2; ++click) {
            QVERIFY(clickControl(*m_x, window, "cSHE"));
            const xcb_window_t box = m_x->waitForWindow(noticeCaption(QStringLiteral("Warning")), kWaitMs);
            QVERIFY2(box, qPrintable(QStringLiteral("no warning at click %1").arg(click)));
            QTRY_COMPARE_WITH_TIMEOUT(run.log().count(warning), click, kWaitMs);
            QVERIFY(pressReturn(box));
            QTRY_VERIFY_WITH_TIMEOUT(!m_x->findWindow(noticeCaption(QStringLiteral("Warning"))), kWaitMs);
            QCOMPARE(run.setting(QStringLiteral("cSHE")), QStringLiteral("0"));
        }
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    // Both rows on CTRL+SHIFT+F6: the stop row is refused as if another program held it, and unticking it
    // leaves the record row's grab in place.
    void combinationOfTheOtherRowIsRefused()
    {
        ProgramRun run;
        const xcb_window_t window = run.startToWindow(
            *m_x, "FirstRun=False\nLastTab=0\ncRecAction=1\ncCtrlRec=1\ncShiftRec=1\ncRK=41\ncRHE=1\n"
                  "cStopAction=1\ncCtrlStop=1\ncShiftStop=1\ncSK=41\ncSHE=0\n");
        QVERIFY2(window, "the main window did not open");
        OtherClient other;
        QVERIFY2(!other.grabCtrlShiftF6(), "the record row does not hold CTRL+SHIFT+F6");

        QVERIFY(clickControl(*m_x, window, "cSHE"));
        const xcb_window_t box = m_x->waitForWindow(noticeCaption(QStringLiteral("Warning")), kWaitMs);
        QVERIFY2(box, "no warning");
        QTRY_VERIFY_WITH_TIMEOUT(run.log().contains("warning: Current hotkey already in use"), kWaitMs);
        QVERIFY(pressReturn(box));
        QCOMPARE(run.setting(QStringLiteral("cSHE")), QStringLiteral("1"));

        QVERIFY(clickControl(*m_x, window, "cSHE"));
        QTRY_COMPARE_WITH_TIMEOUT(run.setting(QStringLiteral("cSHE")), QStringLiteral("0"), kWaitMs);
        QVERIFY2(!other.grabCtrlShiftF6(), "unticking the stop row released the record row's grab");
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    void boundThroughThePortal()
    {
        PortalBus bus;
        QVERIFY(bus.start({}));
        SimProcess sim;
        QVERIFY2(sim.start({"--recording", "match1"}), qPrintable(sim.errorText()));
        ProgramRun run;
        usePortal(run, bus);
        // Besides the stop row, "Record" on CTRL+ALT+SHIFT+Page Down.
        const xcb_window_t window =
            run.startToWindow(*m_x, stopRow(sim.portText()) +
                                        "cRecAction=0\ncCtrlRec=1\ncAltRec=1\ncShiftRec=1\ncRK=56\ncRHE=1\n");
        QVERIFY2(window, "the main window did not open");

        // Both rows restored at start-up are bound at once, in the one session, after the registration.
        const QString record = QStringLiteral("record=CTRL+ALT+SHIFT+Page_Down (Record HLTV demo)");
        const QString both = QStringLiteral("BindShortcuts ") + record +
                             QStringLiteral(" stop=CTRL+SHIFT+F6 (Stop HLTV demo)");
        QVERIFY2(bus.waitFor(both, 5000), qPrintable(bus.calls().join(u'\n')));
        const QStringList calls = bus.calls();
        QCOMPARE(calls.value(1), QStringLiteral("Register spectrel"));
        QVERIFY2(calls.value(2).contains(QRegularExpression(
                     QStringLiteral("^CreateSession handle_token=\\w+ session_handle_token=\\w+$"))),
                 qPrintable(calls.value(2)));
        QCOMPARE(calls.size(), 4);

        QVERIFY(refresh(*m_x, window, sim));
        QVERIFY2(repeatUntil(sim, QStringLiteral("stoprecording"), 1,
                             [&] { return bus.activate(QStringLiteral("stop")); }),
                 qPrintable(sim.commands().join(u',')));

        // Unticking the stop row binds what remains.
        QVERIFY(clickControl(*m_x, window, "Tabek", {}, QPoint(20, 8))); // the first page's tab
        QVERIFY(clickControl(*m_x, window, "cSHE"));
        QVERIFY2(bus.waitFor(QStringLiteral("BindShortcuts ") + record), qPrintable(bus.calls().join(u'\n')));
        QCOMPARE(run.setting(QStringLiteral("cSHE")), QStringLiteral("0"));
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    // Whatever keeps the row restored at start-up from being bound, a warning says so (in a real message box:
    // its text is drawn, so the program's log says which it is), and the box stays ticked, to be tried at the
    // next start. Through the portal, the warning names the ways round it.
    void refusedAtStart_data()
    {
        QTest::addColumn<QString>("way"); // "x": another X client holds the combination
        QTest::addColumn<QStringList>("portalArgs");
        QTest::addColumn<bool>("bound"); // the stand-in was asked to bind
        QTest::newRow("held by another X client") << "x" << QStringList() << false;
        QTest::newRow("no portal") << "no portal" << QStringList() << false;
        QTest::newRow("no global shortcuts") << "portal" << QStringList{"no-shortcuts"} << false;
        QTest::newRow("session declined (1)") << "portal" << QStringList{"session=1"} << false;
        QTest::newRow("binding declined (1), no registry")
            << "portal" << QStringList{"bind=1", "no-registry"} << true;
    }
    void refusedAtStart()
    {
        QFETCH(QString, way);
        QFETCH(QStringList, portalArgs);
        QFETCH(bool, bound);
        OtherClient other;
        PortalBus bus;
        ProgramRun run;
        if (way == u"x") {
            QVERIFY(other.grabCtrlShiftF6());
        } else {
            QVERIFY(bus.start(portalArgs, way == u"portal"));
            usePortal(run, bus);
        }
        run.writeIni(stopRow(QStringLiteral("27015")));
        run.start();

        const xcb_window_t box = m_x->waitForWindow(noticeCaption(QStringLiteral("Warning")), kWaitMs);
        QVERIFY2(box, "no warning");
        const QByteArray warning = way == u"x" ? QByteArray("warning: Current hotkey already in use")
                                               : QByteArray("warning: The desktop did not grant this hotkey. "
                                                            "Bind a desktop shortcut to \"spectrel --trigger "
                                                            "stop\" instead, or start Spectrel with "
                                                            "QT_QPA_PLATFORM=xcb");
        QTRY_VERIFY_WITH_TIMEOUT(run.log().contains(warning), kWaitMs);
        QCOMPARE(bus.calls().contains(QStringLiteral("BindShortcuts stop=CTRL+SHIFT+F6 (Stop HLTV demo)")),
                 bound);
        QVERIFY(pressReturn(box));

        const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
        QVERIFY2(window, "the main window did not open");
        QCOMPARE(run.setting(QStringLiteral("cSHE")), QStringLiteral("1"));
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    // The menu entry's "Stop" with no window running starts the program, which stops the demo once its
    // start-up has finished, or says that the row has no action to run. With a window running, the second
    // copy hands the trigger over the channel it raises the first by (startup_test), where spectrelctl's
    // trigger arrives too.
    void menuActionStartsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("Stop now chosen") << QByteArray("cStopAction=1\n");
        QTest::newRow("no action chosen") << QByteArray();
    }
    void menuActionStartsTheProgram()
    {
        QFETCH(QByteArray, row);
        SimProcess sim;
        QVERIFY(sim.start({"--recording", "match1"}));
        QStringList stop = desktopAction(QStringLiteral("Stop"));
        QVERIFY2(!stop.isEmpty() && stop.takeFirst() == u"spectrel", qPrintable(stop.join(u' ')));
        ProgramRun run;
        run.setArguments(stop);
        run.writeIni("FirstRun=False\ntServer=127.0.0.1\ntPort=" + sim.portText().toLatin1() +
                     "\ntRcon=demo\n" + row);
        run.start();
        const QString command = QStringLiteral("stoprecording");
        if (row.isEmpty()) {
            const xcb_window_t box = m_x->waitForWindow(noticeCaption(QStringLiteral("Warning")), kWaitMs);
            QVERIFY2(box, "no warning");
            QTRY_VERIFY_WITH_TIMEOUT(
                run.log().contains("trigger refused: No stopping action or hotkey selected"), kWaitMs);
            QVERIFY(pressReturn(box));
        } else {
            QTRY_VERIFY2_WITH_TIMEOUT(sim.commands().contains(command), qPrintable(sim.commands().join(u',')),
                                      kWaitMs);
        }
        const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
        QVERIFY2(window, "the main window did not open");
        QVERIFY(run.closeAndEnd(*m_x, window));
        QCOMPARE(sim.commands().contains(command), !row.isEmpty());
    }

    // With no window running, the trigger has nobody to hand it to; its usage errors are spectrelctl_test's.
    void triggerWithoutWindow()
    {
        ProgramRun nobody;
        QCOMPARE(nobody.spectrelctl({"trigger", "record"}), 1);
        QCOMPARE(nobody.ctlError().count('\n'), 1);
    }

private:
    std::unique_ptr<XDisplay> m_x;
};

QTEST_GUILESS_MAIN(HotkeysTest)
#include "hotkeys_test.moc"
