#include "core/SettingsKeys.h"
#include "shell/QSettingsStore.h"
#include "shell/UserSettings.h"
#include "text/RuntimeFailure.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

#include <sys/stat.h>

using namespace spectrel;

Q_DECLARE_METATYPE(spectrel::SettingKey)

namespace {

const RuntimeDefaults kRuntime{1440.0f, 720.0f, QStringLiteral("example.org/spectrel")};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    // The mode an editor or an older copy would leave: readable by everyone.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

int fileMode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

ino_t fileInode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_ino;
}

template <typename F> std::optional<RuntimeFailure> failureOf(F&& f)
{
    try {
        f();
    } catch (const RuntimeFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

// The keys of section "Settings" as QSettings itself sees the file, with their stored spelling.
QStringList storedKeys(const QString& path)
{
    QSettings raw(path, QSettings::IniFormat);
    raw.beginGroup(QStringLiteral("Settings"));
    return raw.childKeys();
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void textsRoundTrip_data();
    void textsRoundTrip();
    void everyKeyRoundTrips_data();
    void everyKeyRoundTrips();
    void emptyStoreGivesDefaults_data();
    void emptyStoreGivesDefaults();
    void runtimeDefaultIsRequired();
    void keysIgnoreCase_data();
    void keysIgnoreCase();
    void handEditedDuplicatesBecomeOne();
    void sectionNameIgnoresCase();
    void deleteSectionKeepsOtherSections();
    void deleteMissingSectionFails();
    void fileStaysPrivate();
    void looseFileIsTightened();
    void writesReplaceTheFile();
    void damagedFile_data();
    void damagedFile();
    void earlierBrokenCopyIsKept();
    void unreadableFile();
    void unsavableWrite();
    void userScopeFile();
    void typedReaders_data();
    void typedReaders();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("Spectrel by Zovan.ini")); }

    QTemporaryDir m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void SettingsStoreTest::initTestCase()
{
    QVERIFY(m_configHome.isValid());
    // QSettings works out the user's folder once per process, so this must come before any user-scope store.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
}

void SettingsStoreTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void SettingsStoreTest::textsRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    auto same = [](const char* name, const QString& text) { QTest::newRow(name) << text << text; };
    same("comma", QStringLiteral("a,b"));
    same("list-like", QStringLiteral("a, b, c"));
    same("quoted", QStringLiteral("\"x\""));
    same("unbalanced quote", QStringLiteral("\"open"));
    same("leading blank", QStringLiteral(" lead"));
    same("trailing blank", QStringLiteral("trail "));
    same("only blanks", QStringLiteral("   "));
    same("at sign", QStringLiteral("@foo"));
    same("two at signs", QStringLiteral("@@foo"));
    same("variant-like", QStringLiteral("@Variant(\\0\\0\\0\\x7f)"));
    same("byte-array-like", QStringLiteral("@ByteArray(x)"));
    same("invalid-like", QStringLiteral("@Invalid()"));
    same("ini specials", QStringLiteral(";#="));
    same("comment-like", QStringLiteral("#x"));
    same("section-like", QStringLiteral("[Settings]"));
    same("key-like", QStringLiteral("Left=5"));
    same("backslashes", QStringLiteral("C:\\demos\\"));
    same("escape-like", QStringLiteral("\\x41\\n"));
    same("percent", QStringLiteral("%U0041%41"));
    same("non-ASCII", QStringLiteral("é ü ß 日本"));
    same("outside the BMP", QString::fromUtf8("\xF0\x9F\x98\x80"));
    same("word True", QStringLiteral("True"));
    same("digit 1", QStringLiteral("1"));
    same("line breaks", QStringLiteral("a\nb\r\nc"));
    same("tab", QStringLiteral("\t"));
    same("control character", QString(QChar(1)));
    same("empty", QStringLiteral(""));
    QTest::newRow("null") << QString() << QStringLiteral("");
}

void SettingsStoreTest::textsRoundTrip()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    {
        QSettingsStore store(path());
        store.write(QStringLiteral("tRcon"), value);
        QCOMPARE(store.read(QStringLiteral("tRcon"), QStringLiteral("default")), expected);
        QCOMPARE(store.status(), QSettingsStore::Status::Ok);
    }
    QSettingsStore reopened(path());
    QCOMPARE(reopened.status(), QSettingsStore::Status::Ok);
    QCOMPARE(reopened.read(QStringLiteral("tRcon"), QStringLiteral("default")), expected);
}

void SettingsStoreTest::everyKeyRoundTrips_data()
{
    QTest::addColumn<SettingKey>("key");
    for (const SettingSpec& spec : allSettings())
        QTest::newRow(spec.name.toString().toUtf8().constData()) << spec.key;
}

void SettingsStoreTest::everyKeyRoundTrips()
{
    QFETCH(SettingKey, key);
    const SettingSpec& spec = settingSpec(key);
    const QString name = settingName(key);
    QString expectedText;
    {
        QSettingsStore store(path());
        switch (spec.form) {
        case SettingForm::Boolean:
            writeBoolean(store, key, false);
            expectedText = QStringLiteral("False");
            break;
        case SettingForm::Single:
            writeSingle(store, key, -1234.5f);
            expectedText = QStringLiteral("-1234.5");
            break;
        case SettingForm::Int16:
            writeInt16(store, key, -32768);
            expectedText = QStringLiteral("-32768");
            break;
        case SettingForm::Box:
            writeInt16(store, key, 2);
            expectedText = QStringLiteral("2");
            break;
        case SettingForm::Text:
            writeText(store, key, QStringLiteral(" @a,b;\"é\" "));
            expectedText = QStringLiteral(" @a,b;\"é\" ");
            break;
        }
    }
    QCOMPARE(storedKeys(path()), QStringList{name});
    QSettingsStore store(path());
    QCOMPARE(store.read(name, QString()), expectedText);
    switch (spec.form) {
    case SettingForm::Boolean:
        QCOMPARE(readBoolean(store, key, kRuntime), false);
        break;
    case SettingForm::Single:
        QCOMPARE(readSingle(store, key, kRuntime), -1234.5f);
        break;
    case SettingForm::Int16:
        QCOMPARE(readInt16(store, key, kRuntime), std::int16_t(-32768));
        break;
    case SettingForm::Box:
        QCOMPARE(readInt16(store, key, kRuntime), std::int16_t(2));
        break;
    case SettingForm::Text:
        QCOMPARE(readText(store, key, kRuntime), expectedText);
        break;
    }
}

void SettingsStoreTest::emptyStoreGivesDefaults_data()
{
    QTest::addColumn<SettingKey>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const struct {
        SettingKey key;
        const char* name;
        const char* expected;
    } rows[] = {
        {SettingKey::FirstRun, "FirstRun", "True"},
        {SettingKey::Left, "Left", "1440"},
        {SettingKey::Top, "Top", "720"},
        {SettingKey::tServer, "tServer", ""},
        {SettingKey::tPort, "tPort", ""},
        {SettingKey::tRcon, "tRcon", ""},
        {SettingKey::tYour, "tYour", ""},
        {SettingKey::cRecAction, "cRecAction", "-1"},
        {SettingKey::cStopAction, "cStopAction", "-1"},
        {SettingKey::cRK, "cRK", "-1"},
        {SettingKey::cSK, "cSK", "-1"},
        {SettingKey::cAutoRefresh, "cAutoRefresh", "0"},
        {SettingKey::cCtrlRec, "cCtrlRec", "1"},
        {SettingKey::cAltRec, "cAltRec", "0"},
        {SettingKey::cShiftRec, "cShiftRec", "1"},
        {SettingKey::cCtrlStop, "cCtrlStop", "1"},
        {SettingKey::cAltStop, "cAltStop", "0"},
        {SettingKey::cShiftStop, "cShiftStop", "1"},
        {SettingKey::cRHE, "cRHE", "0"},
        {SettingKey::cSHE, "cSHE", "0"},
        {SettingKey::cAnnounceStart, "cAnnounceStart", "0"},
        {SettingKey::cAnnounceEnd, "cAnnounceEnd", "0"},
        {SettingKey::cAnnounceSpec, "cAnnounceSpec", "0"},
        {SettingKey::LastTab, "LastTab", "0"},
        {SettingKey::Home, "Home", "example.org/spectrel"},
    };
    QCOMPARE(std::size(rows), allSettings().size());
    for (const auto& row : rows)
        QTest::newRow(row.name) << row.key << QString::fromLatin1(row.name)
                                << QString::fromLatin1(row.expected);
}

void SettingsStoreTest::emptyStoreGivesDefaults()
{
    QFETCH(SettingKey, key);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    QSettingsStore store(path());
    QCOMPARE(settingName(key), name);
    QCOMPARE(readText(store, key, kRuntime), expected);
    switch (settingSpec(key).form) {
    case SettingForm::Boolean:
        QCOMPARE(readBoolean(store, key, kRuntime), true);
        break;
    case SettingForm::Single:
        QCOMPARE(readSingle(store, key, kRuntime), expected.toFloat());
        break;
    case SettingForm::Int16:
    case SettingForm::Box:
        QCOMPARE(readInt16(store, key, kRuntime), std::int16_t(expected.toShort()));
        break;
    case SettingForm::Text:
        break;
    }
    // Reading never creates the file.
    QVERIFY(!QFile::exists(path()));
}

void SettingsStoreTest::runtimeDefaultIsRequired()
{
    QSettingsStore store(path());
    writeSingle(store, SettingKey::Left, 10.0f);
    for (SettingKey key : {SettingKey::Left, SettingKey::Top, SettingKey::Home}) {
        const auto failure = failureOf([&] { (void)readText(store, key); });
        QVERIFY(failure);
        QCOMPARE(failure->number(), int(RuntimeFailure::InvalidCall));
        QVERIFY2(failure->description().contains(settingName(key)), qPrintable(failure->description()));
    }
    QCOMPARE(readSingle(store, SettingKey::Left, RuntimeDefaults{0.0f, 0.0f, {}}), 10.0f);
}

void SettingsStoreTest::keysIgnoreCase_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("start-up's spelling, handler's spelling") << "cAutorefresh"
                                                             << "cAutoRefresh";
    QTest::newRow("handler's spelling, start-up's spelling") << "cAutoRefresh"
                                                             << "cAutorefresh";
    QTest::newRow("upper, lower") << "FIRSTRUN"
                                  << "firstrun";
}

void SettingsStoreTest::keysIgnoreCase()
{
    QFETCH(QString, written);
    QFETCH(QString, readBack);
    {
        QSettingsStore store(path());
        store.write(written, QStringLiteral("1"));
        QCOMPARE(store.read(readBack, QStringLiteral("0")), QStringLiteral("1"));
        store.write(readBack, QStringLiteral("2"));
        QCOMPARE(store.read(written, QStringLiteral("0")), QStringLiteral("2"));
    }
    QCOMPARE(storedKeys(path()).size(), 1);
    QSettingsStore reopened(path());
    QCOMPARE(reopened.read(written, QStringLiteral("0")), QStringLiteral("2"));
    QCOMPARE(reopened.read(readBack, QStringLiteral("0")), QStringLiteral("2"));
}

void SettingsStoreTest::handEditedDuplicatesBecomeOne()
{
    putFile(path(), "[Settings]\ncautorefresh=0\ncAutoRefresh=1\n");
    QSettingsStore store(path());
    QCOMPARE(store.read(QStringLiteral("cAutoRefresh"), QString()), QStringLiteral("1"));
    QCOMPARE(store.read(QStringLiteral("cautorefresh"), QString()), QStringLiteral("0"));
    store.write(QStringLiteral("CAUTOREFRESH"), QStringLiteral("1"));
    QCOMPARE(storedKeys(path()).size(), 1);
    QCOMPARE(store.read(QStringLiteral("cautorefresh"), QString()), QStringLiteral("1"));
}

void SettingsStoreTest::sectionNameIgnoresCase()
{
    putFile(path(), "[settings]\nLeft=5\n");
    QSettingsStore store(path());
    QCOMPARE(store.read(QStringLiteral("Left"), QString()), QStringLiteral("5"));
    store.write(QStringLiteral("Top"), QStringLiteral("7"));
    QSettings raw(path(), QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList{QStringLiteral("settings")});
    store.deleteSection();
    QSettings after(path(), QSettings::IniFormat);
    QCOMPARE(after.allKeys(), QStringList());
}

void SettingsStoreTest::deleteSectionKeepsOtherSections()
{
    putFile(path(), "[Other]\nkeep=1\n");
    QSettingsStore store(path());
    writeBoolean(store, SettingKey::FirstRun, false);
    writeText(store, SettingKey::Home, QStringLiteral("example.net"));
    writeInt16(store, SettingKey::cRK, 12);

    store.deleteSection();
    QCOMPARE(readBoolean(store, SettingKey::FirstRun, kRuntime), true);
    QCOMPARE(readText(store, SettingKey::Home, kRuntime), QStringLiteral("example.org/spectrel"));

    QSettings raw(path(), QSettings::IniFormat);
    QCOMPARE(raw.allKeys(), QStringList{QStringLiteral("Other/keep")});
    QSettingsStore reopened(path());
    QCOMPARE(readInt16(reopened, SettingKey::cRK, kRuntime), std::int16_t(-1));

    const auto again = failureOf([&] { store.deleteSection(); });
    QVERIFY(again);
    QCOMPARE(again->number(), 5);
}

void SettingsStoreTest::deleteMissingSectionFails()
{
    QSettingsStore store(path());
    const auto failure = failureOf([&] { store.deleteSection(); });
    QVERIFY(failure);
    QCOMPARE(failure->number(), int(RuntimeFailure::InvalidCall));
    QVERIFY(!QFile::exists(path()));

    // The welcome routine's order: delete (ignoring 5), then store FirstRun.
    writeBoolean(store, SettingKey::FirstRun, false);
    QCOMPARE(store.read(QStringLiteral("FirstRun"), QString()), QStringLiteral("False"));
}

void SettingsStoreTest::fileStaysPrivate()
{
    const QString nested = m_dir->filePath(QStringLiteral("config/sub/Spectrel by Zovan.ini"));
    QSettingsStore store(nested);
    writeText(store, SettingKey::tRcon, QStringLiteral("secret"));
    QCOMPARE(fileMode(nested), 0600);
    for (int i = 0; i < 5; ++i) {
        writeInt16(store, SettingKey::LastTab, std::int16_t(i));
        QCOMPARE(fileMode(nested), 0600);
    }
    store.deleteSection();
    QCOMPARE(fileMode(nested), 0600);
    writeText(store, SettingKey::tRcon, QStringLiteral("secret"));
    QCOMPARE(fileMode(nested), 0600);
    // Neither the lock file nor a save file is left behind.
    QCOMPARE(QDir(QFileInfo(nested).absolutePath())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(nested).fileName()});
    QCOMPARE(store.status(), QSettingsStore::Status::Ok);
}

void SettingsStoreTest::looseFileIsTightened()
{
    putFile(path(), "[Settings]\ntPort=27020\n");
    QCOMPARE(fileMode(path()), 0644);
    QSettingsStore store(path());
    writeText(store, SettingKey::tRcon, QStringLiteral("secret"));
    QCOMPARE(fileMode(path()), 0600);
    QSettingsStore reopened(path());
    QCOMPARE(readText(reopened, SettingKey::tPort), QStringLiteral("27020"));
    QCOMPARE(readText(reopened, SettingKey::tRcon), QStringLiteral("secret"));
}

void SettingsStoreTest::writesReplaceTheFile()
{
    // Each save goes to a new file that is renamed over the old one, so a crash mid-write never leaves a
    // truncated settings file: the old file's inode is gone after every write.
    QSettingsStore store(path());
    writeText(store, SettingKey::tServer, QStringLiteral("127.0.0.1"));
    const ino_t first = fileInode(path());
    QVERIFY(first != 0);
    writeText(store, SettingKey::tServer, QStringLiteral("127.0.0.2"));
    QVERIFY(fileInode(path()) != first);
    QVERIFY(fileBytes(path()).contains("tServer=127.0.0.2"));
}

void SettingsStoreTest::damagedFile_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray junk(4096, '\0');
    QRandomGenerator generator(20240601);
    for (char& c : junk)
        c = char(generator.bounded(256));
    QTest::newRow("binary junk") << junk;
    QTest::newRow("section without bracket") << QByteArray("[Settings\nLeft=100\n");
    QTest::newRow("line without equals")
        << QByteArray("[Settings]\nLeft=100\nthis line is broken\ntRcon=pw\n");
    QTest::newRow("broken line elsewhere") << QByteArray("[Settings]\nLeft=100\n[Other]\nbroken\n");
    QTest::newRow("invalid UTF-8") << QByteArray("[Settings]\ntRcon=\xff\xfe\n");
    QTest::newRow("NUL byte") << QByteArray("[Settings]\ntRcon=a\0b\n", 21);
}

void SettingsStoreTest::damagedFile()
{
    QFETCH(QByteArray, bytes);
    putFile(path(), bytes);

    QSettingsStore store(path());
    QCOMPARE(store.status(), QSettingsStore::Status::Corrupt);
    QVERIFY(store.problem().contains(path()));
    QVERIFY(store.problem().contains(path() + QStringLiteral(".broken")));
    QCOMPARE(readSingle(store, SettingKey::Left, kRuntime), 1440.0f);
    QCOMPARE(readText(store, SettingKey::tRcon), QString());
    const auto deletion = failureOf([&] { store.deleteSection(); });
    QVERIFY(deletion);
    QCOMPARE(deletion->number(), int(RuntimeFailure::InvalidCall));
    QCOMPARE(fileBytes(path()), bytes);

    writeBoolean(store, SettingKey::FirstRun, false);
    const QString copy = path() + QStringLiteral(".broken");
    QCOMPARE(store.brokenCopy(), copy);
    QCOMPARE(fileBytes(copy), bytes);
    QCOMPARE(fileMode(copy), 0600);
    QCOMPARE(fileMode(path()), 0600);
    QVERIFY(store.problem().contains(copy));
    QCOMPARE(readBoolean(store, SettingKey::FirstRun, kRuntime), false);

    QSettingsStore reopened(path());
    QCOMPARE(reopened.status(), QSettingsStore::Status::Ok);
    QCOMPARE(reopened.problem(), QString());
    QCOMPARE(storedKeys(path()), QStringList{QStringLiteral("FirstRun")});
}

void SettingsStoreTest::earlierBrokenCopyIsKept()
{
    putFile(path() + QStringLiteral(".broken"), "first damage");
    putFile(path(), "[Settings\n");
    QSettingsStore store(path());
    QVERIFY(store.problem().contains(path() + QStringLiteral(".broken-2")));
    writeText(store, SettingKey::tYour, QStringLiteral("clan"));
    QCOMPARE(store.brokenCopy(), path() + QStringLiteral(".broken-2"));
    QCOMPARE(fileBytes(path() + QStringLiteral(".broken")), QByteArray("first damage"));
    QCOMPARE(fileBytes(path() + QStringLiteral(".broken-2")), QByteArray("[Settings\n"));
}

void SettingsStoreTest::unreadableFile()
{
    // Root reads any file whatever its mode, so a directory stands in the file's place.
    QVERIFY(QDir().mkdir(path()));
    QSettingsStore store(path());
    QCOMPARE(store.status(), QSettingsStore::Status::Unreadable);
    QVERIFY(store.problem().contains(path()));
    QCOMPARE(readInt16(store, SettingKey::cCtrlRec, kRuntime), std::int16_t(1));
    QCOMPARE(failureOf([&] { store.deleteSection(); })->number(), int(RuntimeFailure::InvalidCall));

    writeText(store, SettingKey::tServer, QStringLiteral("10.0.0.1"));
    store.write(QStringLiteral("TSERVER"), QStringLiteral("10.0.0.2"));
    QCOMPARE(readText(store, SettingKey::tServer), QStringLiteral("10.0.0.2"));
    store.deleteSection();
    QCOMPARE(readText(store, SettingKey::tServer), QString());

    QVERIFY(QFileInfo(path()).isDir());
    QVERIFY(QDir(path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QCOMPARE(QSettingsStore(path()).status(), QSettingsStore::Status::Unreadable);
}

void SettingsStoreTest::unsavableWrite()
{
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    putFile(blocker, "a file where the folder should be");
    const QString inside = blocker + QStringLiteral("/Spectrel by Zovan.ini");
    QSettingsStore store(inside);
    QCOMPARE(store.status(), QSettingsStore::Status::Ok);
    writeText(store, SettingKey::tPort, QStringLiteral("27020"));
    QCOMPARE(store.status(), QSettingsStore::Status::NotSaved);
    QVERIFY(store.problem().contains(inside));
    QCOMPARE(readText(store, SettingKey::tPort), QStringLiteral("27020"));
}

void SettingsStoreTest::userScopeFile()
{
    const QString expected = m_configHome.filePath(QStringLiteral("Spectrel by Zovan.ini"));
    QFile::remove(expected);
    {
        const auto store = openUserSettings();
        QCOMPARE(store->location(), expected);
        QCOMPARE(store->status(), QSettingsStore::Status::Ok);
        writeBoolean(*store, SettingKey::FirstRun, false);
        writeText(*store, SettingKey::tRcon, QStringLiteral("\"pw\", @x "));
    }
    QCOMPARE(fileMode(expected), 0600);
    const QByteArray bytes = fileBytes(expected);
    QVERIFY2(bytes.startsWith("[Settings]\n"), bytes.constData());
    QVERIFY2(bytes.contains("\nFirstRun=False\n"), bytes.constData());

    const auto reopened = openUserSettings();
    QCOMPARE(readBoolean(*reopened, SettingKey::FirstRun, kRuntime), false);
    QCOMPARE(readText(*reopened, SettingKey::tRcon), QStringLiteral("\"pw\", @x "));
    reopened->deleteSection();
    QCOMPARE(storedKeys(expected), QStringList());
}

void SettingsStoreTest::typedReaders_data()
{
    QTest::addColumn<SettingKey>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("failure"); // 0: converts
    QTest::addColumn<QString>("description");
    QTest::addColumn<double>("value");

    QTest::newRow("letters under Left")
        << SettingKey::Left << "abc" << 13 << R"(Type mismatch: the setting "Left" holds "abc")" << 0.0;
    QTest::newRow("1e9 under cRK") << SettingKey::cRK << "1e9" << 6
                                   << R"(Overflow: the setting "cRK" holds "1e9")" << 0.0;
    QTest::newRow("yes under FirstRun") << SettingKey::FirstRun << "yes" << 13
                                        << R"(Type mismatch: the setting "FirstRun" holds "yes")" << 0.0;
    QTest::newRow("empty under cSK") << SettingKey::cSK << "" << 13
                                     << R"(Type mismatch: the setting "cSK" holds "")" << 0.0;
    QTest::newRow("beyond single under Top")
        << SettingKey::Top << "1e39" << 6 << R"(Overflow: the setting "Top" holds "1e39")" << 0.0;
    QTest::newRow("32768 under LastTab")
        << SettingKey::LastTab << "32768" << 6 << R"(Overflow: the setting "LastTab" holds "32768")" << 0.0;
    QTest::newRow("number and junk under cCtrlRec")
        << SettingKey::cCtrlRec << "1x" << 13 << R"(Type mismatch: the setting "cCtrlRec" holds "1x")" << 0.0;
    QTest::newRow("-1 under cRK") << SettingKey::cRK << "-1" << 0 << QString() << -1.0;
    QTest::newRow("blanks around 5 under LastTab") << SettingKey::LastTab << " 5 " << 0 << QString() << 5.0;
    QTest::newRow("False under FirstRun") << SettingKey::FirstRun << "False" << 0 << QString() << 0.0;
    QTest::newRow("true under FirstRun") << SettingKey::FirstRun << "true" << 0 << QString() << 1.0;
    QTest::newRow("0 under FirstRun") << SettingKey::FirstRun << "0" << 0 << QString() << 0.0;
    QTest::newRow("fraction under Left") << SettingKey::Left << "1234.5" << 0 << QString() << 1234.5;
    QTest::newRow("negative under Top") << SettingKey::Top << "-60" << 0 << QString() << -60.0;
    QTest::newRow("half under cSK, to even") << SettingKey::cSK << "2.5" << 0 << QString() << 2.0;
}

void SettingsStoreTest::typedReaders()
{
    QFETCH(SettingKey, key);
    QFETCH(QString, stored);
    QFETCH(int, failure);
    QFETCH(QString, description);
    QFETCH(double, value);

    QSettingsStore store(path());
    store.write(settingName(key), stored);
    double got = 0;
    const auto caught = failureOf([&] {
        switch (settingSpec(key).form) {
        case SettingForm::Boolean:
            got = readBoolean(store, key, kRuntime) ? 1 : 0;
            break;
        case SettingForm::Single:
            got = readSingle(store, key, kRuntime);
            break;
        case SettingForm::Int16:
        case SettingForm::Box:
            got = readInt16(store, key, kRuntime);
            break;
        case SettingForm::Text:
            QFAIL("not a typed setting");
        }
    });
    if (failure == 0) {
        QVERIFY2(!caught, caught ? qPrintable(caught->description()) : "");
        QCOMPARE(got, value);
    } else {
        QVERIFY(caught);
        QCOMPARE(caught->number(), failure);
        QCOMPARE(caught->description(), description);
    }
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
