#include "shell/CaptionStretchFile.h"

#include "core/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace spectrel {

namespace {

// More than the window's captions ever need; a larger file is no file of ours.
constexpr qint64 kMaxFileBytes = 64 * 1024;

} // namespace

CaptionStretchFile::CaptionStretchFile(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        bool ok = false;
        const int stretch = line.left(tab).toInt(&ok);
        if (tab > 0 && ok && stretch >= 1 && stretch <= 100)
            m_stretches.insert(QString::fromUtf8(line.mid(tab + 1)), stretch);
    }
}

QString CaptionStretchFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/spectrel/caption-stretches");
}

std::optional<int> CaptionStretchFile::stretchFor(const QString& key) const
{
    const auto found = m_stretches.constFind(key);
    if (found == m_stretches.constEnd())
        return std::nullopt;
    return *found;
}

CaptionStretchFile::~CaptionStretchFile()
{
    if (m_unwritten)
        write();
}

void CaptionStretchFile::remember(const QString& key, int stretch)
{
    if (key.isEmpty() || key.contains(u'\n') || m_stretches.value(key) == stretch)
        return;
    m_stretches.insert(key, stretch);
    if (!std::exchange(m_unwritten, true))
        QTimer::singleShot(0, &m_writing, [this] { write(); });
}

void CaptionStretchFile::write()
{
    m_unwritten = false;
    QDir().mkpath(QFileInfo(m_path).path());
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly)) {
        for (auto it = m_stretches.constBegin(); it != m_stretches.constEnd(); ++it)
            file.write(QByteArray::number(it.value()) + '\t' + it.key().toUtf8() + '\n');
        if (file.commit())
            return;
    }
    qCInfo(lcShell).noquote() << "cannot keep the captions' stretches in" << m_path << ":"
                              << file.errorString();
}

} // namespace spectrel
