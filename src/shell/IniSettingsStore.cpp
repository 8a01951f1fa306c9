#include "shell/IniSettingsStore.h"

#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <string_view>
#include <vector>

namespace spectrel {

namespace {

const QString kSection = QStringLiteral("Settings");
constexpr QFileDevice::Permissions kPrivateMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOthersMode = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                 QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                 QFileDevice::WriteOther | QFileDevice::ExeOther;
constexpr int kMaxBrokenCopies = 99;

// QSettings reads '/' and '\' in a key as group separators, so such a key would land outside the section.
void checkKey(const QString& key)
{
    if (key.isEmpty() || key.contains(u'/') || key.contains(u'\\'))
        throw RuntimeFailure::invalidCall();
}

// The stored spelling of `key` among `names`: the exact spelling if present, else the first that differs only
// in case, else a null string.
QString matchingName(const QStringList& names, const QString& key)
{
    if (names.contains(key))
        return key;
    for (const QString& name : names) {
        if (text::equalNoCase(name, key))
            return name;
    }
    return {};
}

// QSettings hands back what it parsed: a value this store wrote is always a QString, but a hand-edited line
// with bare commas comes back as a list, which is shown as QSettings itself would write it.
QString textOf(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(u", ");
    return value.toString();
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    const int value = u >= u'0' && u <= u'9'   ? u - u'0'
                      : u >= u'a' && u <= u'f' ? u - u'a' + 10
                      : u >= u'A' && u <= u'F' ? u - u'A' + 10
                                               : 99;
    return value < base ? value : -1;
}

// QSettings unpacks a value that begins "@Variant(" or "@DateTime(" as binary data through QDataStream, which
// trusts the counts it reads: a dozen bytes can make it ask for gigabytes, and types as rich as images load
// that way. The store writes text only (a text of its own that begins with "@" goes out as "@@"), so a file
// holding such a value was written by something else and counts as damaged. The look-up decodes escapes
// and quotes as QSettings does and takes every place after a line start, "=" or "," (blanks skipped) as the
// start of a value, so it finds every such value QSettings would unpack, and at worst a few it would not.
bool holdsPackedValue(QStringView text)
{
    QString decoded;
    std::vector<qsizetype> starts; // where a value may begin with "@" in `decoded`
    bool atStart = true;
    auto produce = [&](QChar c) {
        if (atStart && c == u'@')
            starts.push_back(decoded.size());
        decoded += c;
        atStart = c == u'=' || c == u',' || c == u'\n' || c == u'\r';
    };
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i++];
        if (c == u'"' || (atStart && (c == u' ' || c == u'\t')))
            continue;
        if (c != u'\\') {
            produce(c);
            continue;
        }
        if (i == text.size())
            break;
        const QChar e = text[i++];
        constexpr std::u16string_view kNamed = u"abfnrtv\"?'\\", kMeaning = u"\a\b\f\n\r\t\v\"?'\\";
        if (const auto named = kNamed.find(e.unicode()); named != kNamed.npos) {
            produce(QChar(kMeaning[named]));
        } else if (e == u'x' || digitValue(e, 8) >= 0) {
            // Any number of digits, kept in 16 bits as QSettings keeps them.
            const int base = e == u'x' ? 16 : 8;
            char16_t value = e == u'x' ? 0 : char16_t(digitValue(e, 8));
            bool any = e != u'x';
            for (; i < text.size() && digitValue(text[i], base) >= 0; ++i, any = true)
                value = char16_t(value * base + digitValue(text[i], base));
            if (any)
                produce(QChar(value));
        } else if ((e == u'\n' || e == u'\r') && i < text.size() && (text[i] == u'\n' || text[i] == u'\r') &&
                   text[i] != e) {
            ++i; // a line continued: nothing
        }
        // Any other escaped character stands for nothing.
    }
    return std::any_of(starts.begin(), starts.end(), [&decoded](qsizetype at) {
        const QStringView value = QStringView(decoded).sliced(at);
        return value.startsWith(u"@Variant(") || value.startsWith(u"@DateTime(");
    });
}

// Qt writes INI files as UTF-8 text and escapes control characters, so NUL bytes or invalid UTF-8 mean the
// file was damaged or written by something else; QSettings would read such bytes without complaint.
bool looksLikeSettingsText(const QByteArray& data)
{
    if (data.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder(data);
    return !decoder.hasError() && !holdsPackedValue(decoded);
}

IniSettingsStore::Status checkIniFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return IniSettingsStore::Status::Ok;
    if (!info.isFile())
        return IniSettingsStore::Status::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniSettingsStore::Status::Unreadable;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return IniSettingsStore::Status::Unreadable;
    return looksLikeSettingsText(data) ? IniSettingsStore::Status::Ok : IniSettingsStore::Status::Corrupt;
}

} // namespace

IniSettingsStore::IniSettingsStore(const QString& filePath)
    : IniSettingsStore(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

IniSettingsStore::IniSettingsStore(std::unique_ptr<QSettings> settings)
    : m_location(settings->fileName()), m_iniFile(settings->format() == QSettings::IniFormat)
{
    Status found = m_iniFile ? checkIniFile(m_location) : Status::Ok;
    if (found == Status::Ok) {
        // QSettings parses a section only when it is first used; parse them all now so that a damaged line
        // anywhere shows in status() before the first value is read.
        (void)settings->allKeys();
        if (settings->status() == QSettings::AccessError)
            found = Status::Unreadable;
        else if (settings->status() == QSettings::FormatError)
            found = Status::Corrupt;
    }
    m_status = found;
    if (found == Status::Ok)
        m_settings = std::move(settings);
    else
        m_replaceOnWrite = found == Status::Corrupt && m_iniFile;
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::read(const QString& key, const QString& defaultValue) const
{
    checkKey(key);
    if (!m_settings) {
        for (const auto& [name, value] : m_memory) {
            if (text::equalNoCase(name, key))
                return value;
        }
        return defaultValue;
    }
    const QString section = sectionName();
    m_settings->beginGroup(section);
    const QString stored = matchingName(m_settings->childKeys(), key);
    QString result = stored.isNull() ? defaultValue : textOf(m_settings->value(stored));
    m_settings->endGroup();
    return result;
}

void IniSettingsStore::write(const QString& key, const QString& value)
{
    checkKey(key);
    if (m_replaceOnWrite) {
        m_replaceOnWrite = false;
        if (!setBrokenFileAside())
            reportWriteFailure();
    }
    if (!m_settings) {
        for (auto& [name, stored] : m_memory) {
            if (text::equalNoCase(name, key)) {
                stored = value;
                return;
            }
        }
        m_memory.emplace_back(key, value);
        return;
    }
    const QString section = sectionName();
    m_settings->beginGroup(section);
    const QStringList names = m_settings->childKeys();
    const QString stored = matchingName(names, key);
    const QString target = stored.isNull() ? key : stored;
    for (const QString& name : names) {
        if (name != target && text::equalNoCase(name, key))
            m_settings->remove(name);
    }
    m_settings->setValue(target, value);
    m_settings->endGroup();
    save();
}

void IniSettingsStore::deleteSection()
{
    if (!m_settings) {
        if (m_memory.empty())
            throw RuntimeFailure::invalidCall();
        m_memory.clear();
        return;
    }
    // QSettings lists a group only while it holds a key, so a listed section is one that exists.
    const QStringList sections = sectionNames();
    if (sections.isEmpty())
        throw RuntimeFailure::invalidCall();
    for (const QString& section : sections)
        m_settings->remove(section);
    save();
}

QString IniSettingsStore::problem() const
{
    const QString text = problemSentence();
    return text.isEmpty() ? text : text + QStringLiteral("   ");
}

QString IniSettingsStore::problemSentence() const
{
    switch (m_status) {
    case Status::Ok:
        return {};
    case Status::Unreadable:
        return QStringLiteral(
                   "The settings in \"%1\" cannot be read; the default settings are used and changes "
                   "are not saved.")
            .arg(m_location);
    case Status::Corrupt:
        if (m_settings)
            return QStringLiteral(
                       "The settings file \"%1\" was damaged; it was kept as \"%2\" and a new one was "
                       "started.")
                .arg(m_location, m_brokenCopy);
        if (m_replaceOnWrite)
            return QStringLiteral(
                       "The settings file \"%1\" is damaged; the default settings are used. It will be "
                       "kept as \"%2\" when a setting is saved.")
                .arg(m_location, freeBrokenCopyName());
        return QStringLiteral("The settings file \"%1\" is damaged and could not be set aside; the default "
                              "settings are used and changes are not saved.")
            .arg(m_location);
    case Status::NotSaved:
        return QStringLiteral(
                   "The settings could not be saved to \"%1\"; changes hold only until the program "
                   "closes.")
            .arg(m_location);
    }
    return {};
}

// The spelling of the section in the store: hand edits may have changed its case.
QString IniSettingsStore::sectionName() const
{
    const QString stored = matchingName(sectionNames(), kSection);
    return stored.isNull() ? kSection : stored;
}

QStringList IniSettingsStore::sectionNames() const
{
    QStringList sections = m_settings->childGroups();
    sections.removeIf([](const QString& name) { return !text::equalNoCase(name, kSection); });
    return sections;
}

void IniSettingsStore::save()
{
    makeFilePrivate();
    m_settings->sync();
    // QSettings opens a file it created itself to group and others; the file holds the rcon password.
    makeFilePrivate();
    // QSettings keeps the first error it met, so once a save failed this stays NotSaved for the run. The
    // values stay in QSettings' memory, which later reads still see.
    if (m_settings->status() != QSettings::NoError || !fileHoldsEveryKey()) {
        m_status = Status::NotSaved;
        reportWriteFailure();
    }
}

// QSettings does not notice a short write: on a full disk its save file is committed cut short and sync()
// reports success. Every line it writes ends in a line break and every key has its own line, so a file that
// lacks either was cut. Keys QSettings would escape are left out of the look-up.
bool IniSettingsStore::fileHoldsEveryKey() const
{
    if (!m_iniFile)
        return true;
    QFile file(m_location);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    const QStringList keys = m_settings->allKeys();
    if (data.isEmpty() || !data.endsWith('\n'))
        return data.isEmpty() && keys.isEmpty();
    for (const QString& key : keys) {
        const QString name = key.section(u'/', -1);
        const bool plain = std::all_of(name.begin(), name.end(), [](QChar c) {
            return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'_');
        });
        if (!plain)
            continue;
        const QByteArray line = name.toLatin1() + '=';
        if (!data.startsWith(line) && !data.contains('\n' + line))
            return false;
    }
    return true;
}

void IniSettingsStore::reportWriteFailure()
{
    if (m_writeFailureReported)
        return;
    // Set first: the report may show a notice whose event loop runs handlers that write again.
    m_writeFailureReported = true;
    if (m_onWriteFailure)
        m_onWriteFailure(problem());
}

void IniSettingsStore::makeFilePrivate() const
{
    if (!m_iniFile)
        return;
    const QFileInfo info(m_location);
    if (!info.exists()) {
        // QSaveFile hands an existing file's permissions on to its replacement, so a file created private
        // here stays private through every later save.
        QDir().mkpath(info.absolutePath());
        QFile file(m_location);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kPrivateMode))
            file.close();
        return;
    }
    if (info.permissions() & kOthersMode)
        QFile::setPermissions(m_location, kPrivateMode);
}

bool IniSettingsStore::setBrokenFileAside()
{
    const QString copy = freeBrokenCopyName();
    if (copy.isEmpty() || !QFile::rename(m_location, copy))
        return false;
    m_brokenCopy = copy;
    // The damaged file may hold the rcon password as well.
    QFile::setPermissions(copy, kPrivateMode);
    auto fresh = std::make_unique<QSettings>(m_location, QSettings::IniFormat);
    if (fresh->status() != QSettings::NoError)
        return false;
    m_settings = std::move(fresh);
    return true;
}

QString IniSettingsStore::freeBrokenCopyName() const
{
    for (int n = 1; n <= kMaxBrokenCopies; ++n) {
        const QString name = n == 1 ? m_location + QStringLiteral(".broken")
                                    : m_location + QStringLiteral(".broken-%1").arg(n);
        const QFileInfo info(name);
        if (!info.exists() && !info.isSymLink())
            return name;
    }
    return {};
}

} // namespace spectrel
