// The settings store over a real INI file in a temporary folder, and what must hold across the table of keys.
#include "core/SettingsKeys.h"
#include "shell/IniSettingsStore.h"
#include "shell/UserSettings.h"
#include "text/RuntimeFailure.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <optional>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace spectrel;

namespace {

const RuntimeDefaults kRuntime{1440.0f, 720.0f, QStringLiteral("example.org/spectrel")};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Written as an editor leaves it: readable by everyone.
void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    file.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

std::optional<int> failureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const RuntimeFailure& failure) {
        return failure.number();
    }
    return std::nullopt;
}

// Reads `key` with the reader of its form.
void readInForm(const SettingsStore& store, SettingKey key)
{
    const SettingForm form = settingRow(key).form;
    if (form == SettingForm::Boolean)
        (void)readBoolean(store, key, kRuntime);
    else if (form == SettingForm::Single)
        (void)readSingle(store, key, kRuntime);
    else if (form != SettingForm::Text)
        (void)readInt16(store, key, kRuntime);
}

// The keys of section "Settings" as QSettings itself sees the file.
QStringList storedKeys(const QString& path)
{
    QSettings raw(path, QSettings::IniFormat);
    raw.beginGroup(QStringLiteral("Settings"));
    return raw.childKeys();
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

    QString path() const { return m_dir->filePath(QStringLiteral("Spectrel by Zovan.ini")); }

    QTemporaryDir m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.filePath("sub"))); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void textsRoundTrip()
    {
        // Each is something QSettings' INI format would otherwise read back as another type or text.
        for (const char* text :
             {"a, b, c", "\"x\"", " lead", "trail ", "@Variant(\\0\\0\\0\\x7f)", "@@foo", ";#=", "[Settings]",
              "C:\\demos\\", "%U0041", "é ü ß 日本", "a\nb\r\nc", ""}) {
            IniSettingsStore(path()).write(QStringLiteral("tRcon"), QString::fromUtf8(text));
            IniSettingsStore reopened(path());
            QCOMPARE(reopened.status(), IniSettingsStore::Status::Ok);
            QCOMPARE(reopened.read(QStringLiteral("tRcon"), QStringLiteral("default")),
                     QString::fromUtf8(text));
        }
    }

    void everyKey()
    {
        QSet<QString> names;
        for (const SettingRow& row : allSettings()) {
            const QString name = settingName(row.key);
            // The store ignores case, so two names that differ only in case would be one value.
            QVERIFY2(!names.contains(name.toLower()), qPrintable(name));
            names.insert(name.toLower());
            // The default reads back through the store and converts: a start with no settings works.
            QFile::remove(path());
            IniSettingsStore store(path());
            QCOMPARE(readText(store, row.key, kRuntime), settingDefault(row.key, kRuntime));
            QVERIFY2(!failureOf([&] { readInForm(store, row.key); }), qPrintable(name));
            QVERIFY(!QFile::exists(path())); // reading never creates the file
            writeText(store, row.key, QStringLiteral("7"));
            QCOMPARE(storedKeys(path()), QStringList{name});
        }
    }

    void readerFailures()
    {
        IniSettingsStore store(path());
        // Left, Top and Home have no default but the one the running program knows.
        for (SettingKey key : {SettingKey::Left, SettingKey::Top, SettingKey::Home})
            QCOMPARE(failureOf([&] { (void)readText(store, key); }), int(RuntimeFailure::InvalidCall));
        // A stored text that does not convert fails with a description naming the key and the text.
        writeText(store, SettingKey::Left, QStringLiteral("abc"));
        try {
            (void)readSingle(store, SettingKey::Left, kRuntime);
            QFAIL("letters read as a number");
        } catch (const RuntimeFailure& failure) {
            QCOMPARE(failure.number(), 13);
            QCOMPARE(failure.description(),
                     QStringLiteral(R"(Type mismatch: the setting "Left" holds "abc")"));
        }
    }

    void keysAndSectionIgnoreCase()
    {
        // Start-up reads "cAutorefresh", the click handler writes "cAutoRefresh"; a hand edit left two
        // spellings and changed the section's case.
        putFile(path(), "[settings]\ncautorefresh=0\ncAutoRefresh=1\n");
        IniSettingsStore store(path());
        QCOMPARE(store.read(QStringLiteral("cAutoRefresh"), QString()), QStringLiteral("1"));
        store.write(QStringLiteral("cAutorefresh"), QStringLiteral("0"));
        QCOMPARE(QSettings(path(), QSettings::IniFormat).allKeys(),
                 QStringList{QStringLiteral("settings/cAutoRefresh")});
        QCOMPARE(IniSettingsStore(path()).read(QStringLiteral("CAUTOREFRESH"), QString()),
                 QStringLiteral("0"));
    }

    void deleteSection()
    {
        IniSettingsStore store(path());
        QCOMPARE(failureOf([&] { store.deleteSection(); }), int(RuntimeFailure::InvalidCall));
        putFile(path(), "[Other]\nkeep=1\n");
        IniSettingsStore filled(path());
        writeBoolean(filled, SettingKey::FirstRun, false);
        filled.deleteSection();
        QCOMPARE(readBoolean(filled, SettingKey::FirstRun), true);
        QCOMPARE(QSettings(path(), QSettings::IniFormat).allKeys(),
                 QStringList{QStringLiteral("Other/keep")});
        QCOMPARE(failureOf([&] { filled.deleteSection(); }), int(RuntimeFailure::InvalidCall));
    }

    // The user's file under $XDG_CONFIG_HOME (a folder not made yet), private from the first save on.
    void userFileStaysPrivateAndIsReplaced()
    {
        const QString file = m_configHome.filePath(QStringLiteral("sub/Spectrel by Zovan.ini"));
        QCOMPARE(openUserSettings()->location(), file);
        writeBoolean(*openUserSettings(), SettingKey::FirstRun, false);
        QCOMPARE(statOf(file).st_mode & 0777, 0600u);
        QVERIFY(fileBytes(file).startsWith("[Settings]\nFirstRun=False\n"));
        // Each save is a new file renamed over the old: a crash mid-write never leaves half a file.
        const ino_t before = statOf(file).st_ino;
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther));
        writeText(*openUserSettings(), SettingKey::tRcon, QStringLiteral("secret"));
        QVERIFY(statOf(file).st_ino != before);
        QCOMPARE(statOf(file).st_mode & 0777, 0600u);
        QCOMPARE(readBoolean(*openUserSettings(), SettingKey::FirstRun), false);
        // No lock or save file stays behind.
        QCOMPARE(QFileInfo(file).dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(file).fileName()});
    }

    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("section without bracket") << QByteArray("[Settings\nLeft=100\n");
        QTest::newRow("broken line elsewhere") << QByteArray("[Settings]\nLeft=100\n[Other]\nbroken\n");
        QTest::newRow("invalid UTF-8") << QByteArray("[Settings]\ntRcon=\xff\xfe\n");
        QTest::newRow("NUL byte") << QByteArray("[Settings]\ntRcon=a\0b\n", 21);
        // Values QSettings would unpack through QDataStream: a list count of 0x6d001100 asked for 40 GiB.
        QTest::newRow("packed value") << QByteArray("[Settings]\ncRK=@Variant(\\0\\0\\0\\xbm\\0\\x11)\n");
        QTest::newRow("packed value spelled in escapes")
            << QByteArray("[Settings]\ntYour=\"\\x10040Variant\"(\\0\\0\\0\\xb\\0\\xff\\xff\\xff\\xf0)\n");
        QTest::newRow("packed list item")
            << QByteArray("[Settings]\ntYour=a, \"\" @DateTime(\\0\\0\\0\\xb)\n");
    }
    void damagedFile()
    {
        QFETCH(QByteArray, bytes);
        putFile(path() + QStringLiteral(".broken"), "earlier damage");
        putFile(path(), bytes);
        const QString copy = path() + QStringLiteral(".broken-2");
        IniSettingsStore store(path());
        QCOMPARE(store.status(), IniSettingsStore::Status::Corrupt);
        QVERIFY(store.problem().contains(copy));
        QCOMPARE(readSingle(store, SettingKey::Left, kRuntime), 1440.0f);
        QCOMPARE(fileBytes(path()), bytes); // untouched until the first write

        writeBoolean(store, SettingKey::FirstRun, false);
        QCOMPARE(store.brokenCopy(), copy);
        QCOMPARE(fileBytes(copy), bytes);
        QCOMPARE(statOf(copy).st_mode & 0777, 0600u); // it may hold the rcon password
        QCOMPARE(fileBytes(path() + QStringLiteral(".broken")), QByteArray("earlier damage"));
        QCOMPARE(storedKeys(path()), QStringList{QStringLiteral("FirstRun")});
        QCOMPARE(IniSettingsStore(path()).problem(), QString());
    }

    void unreadableFile()
    {
        // Root reads any file whatever its mode, so a directory stands in the file's place.
        QVERIFY(QDir().mkdir(path()));
        IniSettingsStore store(path());
        QCOMPARE(store.status(), IniSettingsStore::Status::Unreadable);
        QVERIFY(store.problem().contains(path()));
        store.write(QStringLiteral("tServer"), QStringLiteral("10.0.0.1"));
        store.write(QStringLiteral("TSERVER"), QStringLiteral("10.0.0.2"));
        QCOMPARE(readText(store, SettingKey::tServer), QStringLiteral("10.0.0.2"));
        store.deleteSection();
        QCOMPARE(readText(store, SettingKey::tServer), QString());
        QVERIFY(QDir(path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void unsavableWrite_data()
    {
        QTest::addColumn<QString>("cause");
        // Causes that hold for root as well, which writes whatever the modes say.
        for (const char* cause : {"folder is a file", "disk full", "damaged and cannot be set aside"})
            QTest::newRow(cause) << QString::fromLatin1(cause);
    }
    void unsavableWrite()
    {
        QFETCH(QString, cause);
        QString file = path();
        // A disk full after 1 KiB (a limit on file size), which root obeys as well.
        rlimit unlimited{};
        ::getrlimit(RLIMIT_FSIZE, &unlimited);
        rlimit limit = unlimited;
        if (cause == u"folder is a file") {
            putFile(m_dir->filePath(QStringLiteral("blocker")), "a file where the folder should be");
            file = m_dir->filePath(QStringLiteral("blocker/Spectrel by Zovan.ini"));
        } else if (cause == u"disk full") {
            std::signal(SIGXFSZ, SIG_IGN);
            limit.rlim_cur = 1024;
        } else {
            putFile(file, "[Settings\n");
            for (int n = 1; n <= 99; ++n)
                putFile(file + (n == 1 ? QStringLiteral(".broken") : QStringLiteral(".broken-%1").arg(n)),
                        "");
        }

        IniSettingsStore store(file);
        QStringList reports;
        store.onWriteFailure([&reports](const QString& warning) { reports << warning; });
        const QString longText(4096, u'x');
        ::setrlimit(RLIMIT_FSIZE, &limit);
        writeText(store, SettingKey::tServer, longText);
        writeText(store, SettingKey::tPort, QStringLiteral("27020"));
        writeText(store, SettingKey::tServer, longText + u'y');
        ::setrlimit(RLIMIT_FSIZE, &unlimited);

        // Told once, naming the file, ending as warnings end; the run goes on with what was written.
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.first(), store.problem());
        QVERIFY2(reports.first().contains(file) && reports.first().endsWith(QStringLiteral(".   ")),
                 qPrintable(reports.first()));
        QCOMPARE(readText(store, SettingKey::tServer), longText + u'y');
        QCOMPARE(readText(store, SettingKey::tPort), QStringLiteral("27020"));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
