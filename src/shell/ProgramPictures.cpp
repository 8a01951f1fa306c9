#include "shell/ProgramPictures.h"

#include <QFileInfo>
#include <QImageReader>
#include <QResource>
#include <QtEndian>

#include <cstring>

namespace spectrel {

namespace {

// The raw twin of a picture the first frame shows (:/raw/<its name>, made by tools/raw-picture): the width
// and height, then premultiplied ARGB pixels, stored uncompressed. Null when there is none, or it does not
// hold what its size says.
QImage rawTwin(const QString& resource)
{
    const QResource raw(QStringLiteral(":/raw/") + QFileInfo(resource).fileName());
    if (!raw.isValid() || raw.compressionAlgorithm() != QResource::NoCompression || raw.size() < 8)
        return {};
    const auto* data = raw.data();
    const quint32 width = qFromLittleEndian<quint32>(data);
    const quint32 height = qFromLittleEndian<quint32>(data + 4);
    if (width == 0 || width > 4096 || height == 0 || height > 4096 ||
        raw.size() != 8 + qint64(width) * height * 4)
        return {};
    // Copied, as the resource data need not be aligned as an image's pixels must.
    QImage picture(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(picture.scanLine(y), data + 8 + qsizetype(y) * width * 4, width * 4);
    return picture;
}

} // namespace

QPixmap programPicture(const QString& resource)
{
    if (const QImage raw = rawTwin(resource); !raw.isNull())
        return QPixmap::fromImage(raw);
    QImageReader reader(resource, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon programIcon(int largest)
{
    QIcon icon;
    icon.addPixmap(programPicture(QStringLiteral(":/resources/spectrel-16.png")));
    icon.addPixmap(programPicture(QStringLiteral(":/resources/spectrel.png")));
    for (int size : {48, 64, 128, 256}) {
        if (size <= largest)
            icon.addPixmap(programPicture(QStringLiteral(":/resources/spectrel-%1.png").arg(size)));
    }
    return icon;
}

} // namespace spectrel
