// The global hotkeys of the real program on the tests' X server: a combination pressed while another window
// has the focus runs the row's action against the simulator, switching the row off releases it, a
// combination another client holds is refused with the program's warning, and `spectrelctl trigger` runs the
// same action from the command line.

#include "shell/WindowLayout.h"
#include "support/SimProcess.h"
#include "support/XDisplay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb_keysyms.h>

#include <memory>

using namespace spectrel;

namespace {

const QString kTitle = QStringLiteral("Spectrel by Zovan v1.2.9");
constexpr int kWaitMs = 10000;
constexpr xcb_keysym_t kF6 = 0xffc3;
constexpr std::uint16_t kCtrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;

bool xdotool(const QStringList& args)
{
    return QProcess::execute(QStringLiteral("timeout"),
                             QStringList{QStringLiteral("10"), QStringLiteral("xdotool")} + args) == 0;
}

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
    void releaseCtrlShiftF6()
    {
        xcb_ungrab_key(m_c, m_f6, m_root, kCtrlShift);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_f6 = 0;
};

// The program with a settings file and home folder of its own (the home folder names its channel).
class ProgramRun {
public:
    explicit ProgramRun(const QByteArray& settings)
    {
        QDir(m_home.path()).mkpath(QStringLiteral("config"));
        QFile f(m_home.filePath(QStringLiteral("config/Spectrel by Zovan.ini")));
        if (f.open(QIODevice::WriteOnly))
            f.write("[Settings]\nFirstRun=False\n" + settings);
    }
    ~ProgramRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }
    void start()
    {
        m_process.setProcessEnvironment(environment());
        m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        m_process.start(qEnvironmentVariable("SPECTREL"), {});
    }
    // What the program wrote on standard error so far (its log).
    QByteArray log()
    {
        m_process.waitForReadyRead(0);
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    QString setting(const QString& key) const
    {
        QSettings ini(m_home.filePath(QStringLiteral("config/Spectrel by Zovan.ini")), QSettings::IniFormat);
        return ini.value(QStringLiteral("Settings/") + key).toString();
    }
    // spectrelctl as the same user; its exit status.
    int spectrelctl(const QStringList& args)
    {
        QProcess ctl;
        ctl.setProcessEnvironment(environment());
        ctl.start(qEnvironmentVariable("SPECTRELCTL"), args);
        if (!ctl.waitForFinished(kWaitMs))
            return -1;
        m_ctlError = ctl.readAllStandardError();
        return ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    }
    QByteArray ctlError() const { return m_ctlError; }
    bool finished()
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(kWaitMs);
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_ctlError;
    QByteArray m_log;
};

// Clicks the middle of a control of the window's layout; the twips become pixels by the window's width.
bool clickControl(XDisplay& x, xcb_window_t window, std::string_view name)
{
    const double pixelsPerTwip = x.geometry(window).width() / double(kClientWidthTwips);
    const ControlSpec* spec = findControl(name);
    int left = spec->rect.left + spec->rect.width / 2;
    int top = spec->rect.top + spec->rect.height / 2;
    while (!spec->container.empty() && (spec = findControl(spec->container))) {
        left += spec->rect.left;
        top += spec->rect.top;
    }
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
                    QString::number(qRound(left * pixelsPerTwip)),
                    QString::number(qRound(top * pixelsPerTwip)), QStringLiteral("click"),
                    QStringLiteral("1")});
}

// The first page's tab, at the tab control's top-left corner.
bool clickFirstTab(XDisplay& x, xcb_window_t window)
{
    const double pixelsPerTwip = x.geometry(window).width() / double(kClientWidthTwips);
    const TwipRect tabs = findControl("Tabek")->rect;
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
                    QString::number(qRound(tabs.left * pixelsPerTwip) + 20),
                    QString::number(qRound(tabs.top * pixelsPerTwip) + 8), QStringLiteral("click"),
                    QStringLiteral("1")});
}

// Asks the window for a status report and waits until the simulator saw it; the window learns the proxy's
// state from the reply. A click may come before the window is ready for it (it is mapped before its first
// paint): the click is repeated, a bounded number of times.
bool refresh(XDisplay& x, xcb_window_t window, SimProcess& sim)
{
    const qsizetype before = sim.commands().count(QStringLiteral("status"));
    for (int attempt = 0; attempt < 5 && sim.commands().count(QStringLiteral("status")) == before;
         ++attempt) {
        if (!clickControl(x, window, "cRefresh"))
            return false;
        const QDeadlineTimer deadline(2000);
        while (sim.commands().count(QStringLiteral("status")) == before && !deadline.hasExpired())
            sim.waitForCommands(int(sim.commands().size()) + 1, 100);
    }
    return sim.commands().count(QStringLiteral("status")) > before;
}

// Repeats `press` until the simulator has seen `n` stop commands: the first press may come before the window
// has read the report that enables its button. Bounded.
bool pressUntilStopped(SimProcess& sim, qsizetype n, const std::function<bool()>& press)
{
    for (int attempt = 0; attempt < 5 && sim.commands().count(QStringLiteral("stoprecording")) < n;
         ++attempt) {
        if (!press())
            return false;
        const QDeadlineTimer deadline(2000);
        while (sim.commands().count(QStringLiteral("stoprecording")) < n && !deadline.hasExpired())
            sim.waitForCommands(int(sim.commands().size()) + 1, 100);
    }
    return sim.commands().count(QStringLiteral("stoprecording")) == n;
}

bool pressCtrlShiftF6()
{
    return xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+F6")});
}

// The stop row "Stop now" on CTRL+SHIFT+F6, enabled; the connection fields point at the simulator.
QByteArray stopRow(const SimProcess& sim, bool enabled)
{
    return "LastTab=1\ntServer=127.0.0.1\ntPort=" + sim.portText().toLatin1() +
           "\ntRcon=demo\ncStopAction=1\ncCtrlStop=1\ncShiftStop=1\ncAltStop=0\ncSK=41\ncSHE=" +
           (enabled ? "1" : "0") + "\n";
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

    void pressedWhileAnotherWindowHasTheFocus()
    {
        SimProcess sim;
        QVERIFY2(sim.start({QStringLiteral("--recording"), QStringLiteral("match1")}),
                 qPrintable(sim.errorText()));
        ProgramRun run(stopRow(sim, true));
        run.start();
        const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
        QVERIFY2(window, "the main window did not open");
        OtherClient other;
        other.takeFocus();

        QVERIFY(refresh(*m_x, window, sim));
        QVERIFY2(pressUntilStopped(sim, 1, pressCtrlShiftF6), qPrintable(sim.commands().join(u',')));

        // The trigger from the command line runs the same action.
        QVERIFY(sim.control("record match2"));
        QVERIFY(refresh(*m_x, window, sim));
        QVERIFY2(pressUntilStopped(sim, 2,
                                   [&] {
                                       return run.spectrelctl({"trigger", "stop"}) == 0;
                                   }),
                 qPrintable(sim.commands().join(u',')));

        // Unticking the row releases the combination: another client can take it, and the program, which
        // knows the proxy records again, no longer reacts to it.
        QVERIFY(sim.control("record match3"));
        QVERIFY(refresh(*m_x, window, sim));
        QVERIFY(clickFirstTab(*m_x, window));
        QVERIFY(clickControl(*m_x, window, "cSHE"));
        QTRY_COMPARE_WITH_TIMEOUT(run.setting(QStringLiteral("cSHE")), QStringLiteral("0"), kWaitMs);
        QVERIFY2(other.grabCtrlShiftF6(), "the program still holds CTRL+SHIFT+F6");
        other.releaseCtrlShiftF6();
        QVERIFY(pressCtrlShiftF6());
        QTest::qWait(1500);
        QCOMPARE(sim.commands().count(QStringLiteral("stoprecording")), 2);

        m_x->requestClose(window);
        QVERIFY(run.finished());
    }

    void combinationHeldByAnotherClientIsRefused()
    {
        OtherClient other;
        QVERIFY(other.grabCtrlShiftF6());
        SimProcess sim;
        QVERIFY(sim.start());
        ProgramRun run(stopRow(sim, true));
        run.start();

        // Restoring the ticked row at start-up meets the grab: the warning, in a real message box (its text
        // is drawn, so the program's log says which it is).
        const xcb_window_t box = m_x->waitForWindow(kTitle + QStringLiteral(" - Warning"), kWaitMs);
        QVERIFY2(box, "no warning");
        QTRY_VERIFY_WITH_TIMEOUT(run.log().contains("warning: Current hotkey already in use"), kWaitMs);
        QVERIFY(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(box),
                         QStringLiteral("key"), QStringLiteral("Return")}));

        const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
        QVERIFY2(window, "the main window did not open");
        QCOMPARE(run.setting(QStringLiteral("cSHE")), QStringLiteral("1")); // tried again at the next start
        m_x->requestClose(window);
        QVERIFY(run.finished());
        other.releaseCtrlShiftF6();
    }

    void triggerWithoutWindow_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no window") << QStringList{"trigger", "record"} << 1;
        QTest::newRow("nothing to trigger") << QStringList{"trigger"} << 2;
        QTest::newRow("unknown action") << QStringList{"trigger", "pause"} << 2;
        QTest::newRow("more words") << QStringList{"trigger", "stop", "now"} << 2;
    }
    void triggerWithoutWindow()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        ProgramRun nobody("");
        QCOMPARE(nobody.spectrelctl(args), exitCode);
        QCOMPARE(nobody.ctlError().count('\n'), exitCode == 1 ? 1 : 2);
    }

private:
    std::unique_ptr<XDisplay> m_x;
};

QTEST_GUILESS_MAIN(HotkeysTest)
#include "hotkeys_test.moc"
