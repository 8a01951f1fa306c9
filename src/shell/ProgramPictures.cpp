#include "shell/ProgramPictures.h"

#include <QImageReader>

namespace spectrel {

QPixmap programPicture(const QString& resource)
{
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
