#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace spectrel {

// Stands in for xdg-open (there is no browser here) for as long as it lives: a script first on PATH that
// records the address it is given, then "done" `seconds` later, and exits with `status`. Without a status
// there is no xdg-open at all: PATH then holds nothing else.
class FakeXdgOpen {
public:
    explicit FakeXdgOpen(std::optional<int> status, double seconds = 0)
    {
        QByteArray path = m_dir.path().toUtf8();
        if (status) {
            QFile script(m_dir.filePath(QStringLiteral("xdg-open")));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s\\n' \"$1\" >> '%1'\n"
                                        "sleep %2\necho done >> '%1'\nexit %3\n")
                             .arg(log(), QString::number(seconds), QString::number(*status))
                             .toUtf8());
            script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            path += ':' + m_path;
        }
        qputenv("PATH", path);
    }
    ~FakeXdgOpen() { qputenv("PATH", m_path); }
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

    // The addresses given so far, in the order the launches wrote them.
    QStringList opened() const
    {
        QStringList lines = text().split(u'\n', Qt::SkipEmptyParts);
        lines.removeAll(QStringLiteral("done"));
        return lines;
    }
    // How many launches have ended.
    int done() const { return int(text().count(QStringLiteral("done\n"))); }
    void clear() { QFile::remove(log()); }

private:
    QString log() const { return m_dir.filePath(QStringLiteral("opened")); }
    QString text() const
    {
        QFile f(log());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QByteArray m_path = qgetenv("PATH");
    QTemporaryDir m_dir;
};

} // namespace spectrel
