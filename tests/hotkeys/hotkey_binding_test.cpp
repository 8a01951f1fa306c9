// The hotkey rows: what ticking an enable box registers, the four refusals, and how any row change switches
// the hotkey off. The platform's hotkeys are a stand-in that records the calls; the row is the window's.

#include "hotkeys/GlobalHotkeys.h"
#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/KeyCatalogue.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"
#include "support/TestDoubles.h"

#include <QtTest>

using namespace spectrel;

namespace {

class RecordedHotkeys : public GlobalHotkeys {
public:
    bool registerHotkey(int id, int mask, int virtualKey) override
    {
        calls << QStringLiteral("register %1 %2 %3").arg(id).arg(mask).arg(virtualKey);
        return grant;
    }
    void unregisterHotkey(int id) override { calls << QStringLiteral("unregister %1").arg(id); }
    bool available() const override { return session; }
    QStringList calls;
    bool grant = true;
    bool session = true;
};

// The two rows of the frame; clearing a ticked enable box runs its handler, as the window's box does.
struct Rows : HotkeyRows {
    HotkeyRowValues rows[2];
    int enable[2] = {0, 0};
    HotkeyBinding* binding = nullptr;

    HotkeyRowValues hotkeyRow(HotkeyRowId slot) const override { return rows[int(slot)]; }
    void clearEnableBox(HotkeyRowId slot) override
    {
        if (enable[int(slot)] == 0)
            return;
        enable[int(slot)] = 0;
        binding->enableBoxChanged(slot, 0, true);
    }
};

struct Frame {
    MemorySettings settings;
    RecordedHotkeys hotkeys;
    ScriptedNotices notices;
    RecordingCues cues;
    Rows rows;
    HotkeyBinding binding{{rows, hotkeys, settings, notices, cues}};
    Frame() { rows.binding = &binding; }

    void setRow(HotkeyRowId slot, int action, const QString& mods, int keyPosition)
    {
        const QString keyText = keyPosition >= 0
                                    ? QString::fromLatin1(keys::catalogue()[std::size_t(keyPosition)].text)
                                    : QString();
        rows.rows[int(slot)] = {
            action, mods.contains(u'C'), mods.contains(u'A'), mods.contains(u'S'), keyPosition, keyText};
    }
    void tick(HotkeyRowId slot)
    {
        rows.enable[int(slot)] = 1;
        binding.enableBoxChanged(slot, 1, true);
    }
};

const QString kRecordKey = QStringLiteral("crhe");
const QString kStopKey = QStringLiteral("cshe");

} // namespace

class HotkeyBindingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tickingTheEnableBox_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("mods");       // C, A, S
        QTest::addColumn<int>("key");            // key list position
        QTest::addColumn<QString>("platform");   // "grants", "holds", "none"
        QTest::addColumn<QString>("registered"); // the platform call, empty for none
        QTest::addColumn<QString>("warning");    // empty when the hotkey is set

        const struct {
            const char* name;
            bool stop;
            int action;
            const char *mods, *platform;
            int key;
            const char* registered;
            const char* warning;
        } rows[] = {
            {"record now, CTRL SHIFT F5", false, 1, "CS", "grants", 40, "register 49151 6 116", ""},
            {"stop, ALT Z", true, 0, "A", "grants", 25, "register 49150 1 90", ""},
            {"all three: 7", false, 0, "CAS", "grants", 0, "register 49151 7 65", ""},
            {"CTRL ALT: 3, digit 0", false, 0, "CA", "grants", 26, "register 49151 3 48", ""},
            {"ALT SHIFT: 5, Down Arrow", true, 1, "AS", "grants", 60, "register 49150 5 40", ""},
            {"SHIFT alone: 4, Right Arrow", true, 1, "S", "grants", 58, "register 49150 4 39", ""},
            {"record, no key", false, 1, "CS", "grants", -1, "", "No recording action or hotkey selected   "},
            {"stop, no action", true, -1, "CS", "grants", 3, "", "No stopping action or hotkey selected   "},
            {"no special key", true, 0, "", "grants", 3, "",
             "At least one special key must be selected (CTRL, ALT, SHIFT)   "},
            {"held by another program", false, 0, "CS", "holds", 41, "register 49151 6 117",
             "Current hotkey already in use   "},
            {"no global hotkeys in the session", true, 1, "CS", "none", 41, "register 49150 6 117",
             "Global hotkeys are not available in this desktop session.\r\n"
             "Bind a desktop shortcut to \"spectrel --trigger stop\" instead   "},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.stop << r.action << r.mods << r.key << r.platform << r.registered
                                  << r.warning;
    }
    void tickingTheEnableBox()
    {
        QFETCH(bool, stop);
        QFETCH(int, action);
        QFETCH(QString, mods);
        QFETCH(int, key);
        QFETCH(QString, platform);
        QFETCH(QString, registered);
        QFETCH(QString, warning);
        const bool active = warning.isEmpty();
        // A refusal before the platform is asked unticks the box; a refused registration keeps it ticked.
        const QString boxAfter = !active && registered.isEmpty() ? "0" : "1";

        Frame f;
        const HotkeyRowId slot = stop ? HotkeyRowId::Stop : HotkeyRowId::Record;
        f.hotkeys.grant = platform == u"grants";
        f.hotkeys.session = platform != u"none";
        f.setRow(slot, action, mods, key);
        f.tick(slot);

        QCOMPARE(f.hotkeys.calls.join(u','), registered);
        QCOMPARE(stop ? f.binding.StopHotkeySet : f.binding.RecordHotkeySet, active);
        QCOMPARE(stop ? f.binding.RecordHotkeySet : f.binding.StopHotkeySet, false);
        QCOMPARE(f.settings.values.value(stop ? kStopKey : kRecordKey), boxAfter);
        QCOMPARE(f.rows.enable[int(slot)], boxAfter.toInt());
        QCOMPARE(f.cues.played(), active ? QList<int>{CueHotkey} : (QList<int>{CueHotkey, CueFailure}));
        QCOMPARE(f.notices.lastText(), warning);
        if (!warning.isEmpty()) {
            QCOMPARE(f.notices.count(), 1);
            QCOMPARE(f.notices.shown().first().flags, int(NoticeWarning));
            QCOMPARE(f.notices.shown().first().kind, QStringLiteral("Warning"));
        }
    }

    // A key name that the catalogue does not know cannot be set; the box stays ticked.
    void unknownKeyNameCannotBeSet()
    {
        Frame f;
        f.rows.rows[0] = {0, 1, 0, 1, 36, QStringLiteral("Delete")};
        f.tick(HotkeyRowId::Record);
        QVERIFY(f.hotkeys.calls.isEmpty());
        QCOMPARE(f.notices.lastText(), QStringLiteral("Selected hotkey can not be set   "));
        QCOMPARE(f.settings.values.value(kRecordKey), QStringLiteral("1"));
    }

    void rowChangeSwitchesTheHotkeyOff_data()
    {
        QTest::addColumn<bool>("granted");
        QTest::addColumn<QString>("calls");
        QTest::newRow("active: unregistered") << true << "register 49151 6 116,unregister 49151";
        QTest::newRow("refused: nothing to unregister") << false << "register 49151 6 116";
    }
    void rowChangeSwitchesTheHotkeyOff()
    {
        QFETCH(bool, granted);
        QFETCH(QString, calls);
        Frame f;
        f.hotkeys.grant = granted;
        f.setRow(HotkeyRowId::Record, 1, QStringLiteral("CS"), 40);
        f.tick(HotkeyRowId::Record);
        f.setRow(HotkeyRowId::Record, 1, QStringLiteral("CS"), 41);
        f.binding.rowControlChanged(HotkeyRowId::Record, SettingKey::cRK, 41);

        QCOMPARE(f.settings.values.value(QStringLiteral("crk")), QStringLiteral("41"));
        QCOMPARE(f.settings.values.value(kRecordKey), QStringLiteral("0"));
        QCOMPARE(f.rows.enable[0], 0);
        QCOMPARE(f.binding.RecordHotkeySet, false);
        QCOMPARE(f.hotkeys.calls.join(u','), calls);
        // F6 is registered only when the box is ticked again.
        f.tick(HotkeyRowId::Record);
        QCOMPARE(f.hotkeys.calls.last(), QStringLiteral("register 49151 6 117"));
    }

    void shutdownUnregistersWhatIsRegistered()
    {
        Frame f;
        f.setRow(HotkeyRowId::Record, 0, QStringLiteral("C"), 1);
        f.setRow(HotkeyRowId::Stop, 0, QStringLiteral("C"), 2);
        f.tick(HotkeyRowId::Record);
        f.hotkeys.grant = false;
        f.tick(HotkeyRowId::Stop);
        f.hotkeys.calls.clear();
        f.binding.unregisterAll();
        QCOMPARE(f.hotkeys.calls, QStringList{"unregister 49151"});
        QCOMPARE(f.binding.RecordHotkeySet, false);
    }

    void pressRunsTheRowsAction_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("action");
        QTest::newRow("record, Record") << 49151 << 0 << int(HotkeyAction::Record);
        QTest::newRow("record, Record now") << 49151 << 1 << int(HotkeyAction::RecordNow);
        QTest::newRow("stop, Stop") << 49150 << 0 << int(HotkeyAction::Stop);
        QTest::newRow("stop, Stop now") << 49150 << 1 << int(HotkeyAction::StopNow);
        QTest::newRow("nothing chosen") << 49150 << -1 << int(HotkeyAction::None);
        QTest::newRow("another identifier") << 49152 << 0 << int(HotkeyAction::None);
    }
    void pressRunsTheRowsAction()
    {
        QFETCH(int, id);
        QFETCH(int, position);
        QTEST(int(hotkeyAction(id, position)), "action");
    }

    void triggerLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("id");
        QTest::newRow("record") << QByteArray("trigger record") << 49151;
        QTest::newRow("stop") << QByteArray("trigger stop") << 49150;
        QTest::newRow("raise") << QByteArray("raise") << 0;
        QTest::newRow("unknown") << QByteArray("trigger pause") << 0;
    }
    void triggerLines()
    {
        QFETCH(QByteArray, line);
        QTEST(triggeredHotkeyId(line), "id");
    }
};

QTEST_GUILESS_MAIN(HotkeyBindingTest)
#include "hotkey_binding_test.moc"
