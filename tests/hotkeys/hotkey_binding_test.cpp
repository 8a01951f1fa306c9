// The hotkey rows: what ticking an enable box registers, the four refusals, and how any row change switches
// the hotkey off. The platform's hotkeys are a stand-in that records the calls; the row is the window's.

#include "core/SettingsStore.h"
#include "hotkeys/GlobalHotkeys.h"
#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/KeyCatalogue.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"

#include <QMap>
#include <QtTest>

using namespace spectrel;

namespace {

class MemorySettings : public SettingsStore {
public:
    QString read(const QString& key, const QString& defaultValue) const override
    {
        return values.value(key.toLower(), defaultValue);
    }
    void write(const QString& key, const QString& value) override { values.insert(key.toLower(), value); }
    void deleteSection() override { values.clear(); }
    QMap<QString, QString> values;
};

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
    HotkeyRow rows[2];
    int enable[2] = {0, 0};
    HotkeyBinding* binding = nullptr;

    HotkeyRow hotkeyRow(HotkeySlot slot) const override { return rows[int(slot)]; }
    void clearEnableBox(HotkeySlot slot) override
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

    void setRow(HotkeySlot slot, int action, const QString& mods, int keyPosition)
    {
        const QString keyText = keyPosition >= 0
                                    ? QString::fromLatin1(keys::catalogue()[std::size_t(keyPosition)].text)
                                    : QString();
        rows.rows[int(slot)] = {
            action, mods.contains(u'C'), mods.contains(u'A'), mods.contains(u'S'), keyPosition, keyText};
    }
    void tick(HotkeySlot slot, bool startupDone = true)
    {
        rows.enable[int(slot)] = 1;
        binding.enableBoxChanged(slot, 1, startupDone);
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
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("boxAfter"); // the stored enable box
        QTest::addColumn<QList<int>>("cues");
        QTest::addColumn<QString>("warning");

        const QList<int> hotkeyCue{CueHotkey};
        const QList<int> failed{CueHotkey, CueFailure};
        QTest::newRow("record now, CTRL SHIFT F5")
            << false << 1 << "CS" << 40 << "grants"
            << "register 49151 6 116" << true << "1" << hotkeyCue << "";
        QTest::newRow("stop, ALT Z") << true << 0 << "A" << 25 << "grants"
                                     << "register 49150 1 90" << true << "1" << hotkeyCue << "";
        QTest::newRow("all three: 7") << false << 0 << "CAS" << 0 << "grants"
                                      << "register 49151 7 65" << true << "1" << hotkeyCue << "";
        QTest::newRow("CTRL ALT: 3, digit 0") << false << 0 << "CA" << 26 << "grants"
                                              << "register 49151 3 48" << true << "1" << hotkeyCue << "";
        QTest::newRow("ALT SHIFT: 5, Down Arrow") << true << 1 << "AS" << 60 << "grants"
                                                  << "register 49150 5 40" << true << "1" << hotkeyCue << "";
        QTest::newRow("SHIFT alone: 4, Right Arrow")
            << true << 1 << "S" << 58 << "grants"
            << "register 49150 4 39" << true << "1" << hotkeyCue << "";
        QTest::newRow("record, no key")
            << false << 1 << "CS" << -1 << "grants"
            << "" << false << "0" << failed << "No recording action or hotkey selected   ";
        QTest::newRow("stop, no action")
            << true << -1 << "CS" << 3 << "grants"
            << "" << false << "0" << failed << "No stopping action or hotkey selected   ";
        QTest::newRow("no special key") << true << 0 << "" << 3 << "grants"
                                        << "" << false << "0" << failed
                                        << "At least one special key must be selected (CTRL, ALT, SHIFT)   ";
        QTest::newRow("held by another program")
            << false << 0 << "CS" << 41 << "holds"
            << "register 49151 6 117" << false << "1" << failed << "Current hotkey already in use   ";
        QTest::newRow("no global hotkeys in the session")
            << true << 1 << "CS" << 41 << "none"
            << "register 49150 6 117" << false << "1" << failed
            << "Global hotkeys are not available in this desktop session.\r\n"
               "Bind a desktop shortcut to \"spectrelctl trigger stop\" instead   ";
    }
    void tickingTheEnableBox()
    {
        QFETCH(bool, stop);
        QFETCH(int, action);
        QFETCH(QString, mods);
        QFETCH(int, key);
        QFETCH(QString, platform);
        QFETCH(QString, registered);
        QFETCH(bool, active);
        QFETCH(QString, boxAfter);
        QFETCH(QList<int>, cues);
        QFETCH(QString, warning);

        Frame f;
        const HotkeySlot slot = stop ? HotkeySlot::Stop : HotkeySlot::Record;
        f.hotkeys.grant = platform == u"grants";
        f.hotkeys.session = platform != u"none";
        f.setRow(slot, action, mods, key);
        f.tick(slot);

        QCOMPARE(f.hotkeys.calls.join(u','), registered);
        QCOMPARE(stop ? f.binding.StopHotkeySet : f.binding.RecordHotkeySet, std::uint8_t(active ? 1 : 0));
        QCOMPARE(stop ? f.binding.RecordHotkeySet : f.binding.StopHotkeySet, std::uint8_t(0));
        QCOMPARE(f.settings.values.value(stop ? kStopKey : kRecordKey), boxAfter);
        QCOMPARE(f.rows.enable[int(slot)], boxAfter.toInt()); // a refused registration keeps the box ticked
        QCOMPARE(f.cues.played(), cues);
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
        f.tick(HotkeySlot::Record);
        QVERIFY(f.hotkeys.calls.isEmpty());
        QCOMPARE(f.notices.lastText(), QStringLiteral("Selected hotkey can not be set   "));
        QCOMPARE(f.settings.values.value(kRecordKey), QStringLiteral("1"));
    }

    // Restoring a ticked box at start-up registers without the hotkey cue.
    void restoredAtStartUpIsSilent()
    {
        Frame f;
        f.setRow(HotkeySlot::Record, 1, QStringLiteral("CS"), 40);
        f.tick(HotkeySlot::Record, false);
        QCOMPARE(f.hotkeys.calls, QStringList{"register 49151 6 116"});
        QVERIFY(f.cues.played().isEmpty());
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
        f.setRow(HotkeySlot::Record, 1, QStringLiteral("CS"), 40);
        f.tick(HotkeySlot::Record);
        f.setRow(HotkeySlot::Record, 1, QStringLiteral("CS"), 41);
        f.binding.rowControlChanged(HotkeySlot::Record, SettingKey::cRK, 41);

        QCOMPARE(f.settings.values.value(QStringLiteral("crk")), QStringLiteral("41"));
        QCOMPARE(f.settings.values.value(kRecordKey), QStringLiteral("0"));
        QCOMPARE(f.rows.enable[0], 0);
        QCOMPARE(f.binding.RecordHotkeySet, std::uint8_t(0));
        QCOMPARE(f.hotkeys.calls.join(u','), calls);
        // F6 is registered only when the box is ticked again.
        f.tick(HotkeySlot::Record);
        QCOMPARE(f.hotkeys.calls.last(), QStringLiteral("register 49151 6 117"));
    }

    void shutdownUnregistersWhatIsRegistered()
    {
        Frame f;
        f.setRow(HotkeySlot::Record, 0, QStringLiteral("C"), 1);
        f.setRow(HotkeySlot::Stop, 0, QStringLiteral("C"), 2);
        f.tick(HotkeySlot::Record);
        f.hotkeys.grant = false;
        f.tick(HotkeySlot::Stop);
        f.hotkeys.calls.clear();
        f.binding.unregisterAll();
        QCOMPARE(f.hotkeys.calls, QStringList{"unregister 49151"});
        QCOMPARE(f.binding.RecordHotkeySet, std::uint8_t(0));
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
        QFETCH(int, action);
        QCOMPARE(int(hotkeyAction(id, position)), action);
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
        QFETCH(int, id);
        QCOMPARE(triggeredHotkeyId(line), id);
    }
};

QTEST_GUILESS_MAIN(HotkeyBindingTest)
#include "hotkey_binding_test.moc"
