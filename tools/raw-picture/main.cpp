// raw-picture IN OUT: writes the picture IN (any format Qt reads) as the program's raw picture, which the
// program shows without decoding anything: the width and the height (32-bit, little-endian), then the pixels
// as premultiplied ARGB, 32 bits each in the machine's order, row after row.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: raw-picture IN OUT\n");
        return 2;
    }
    const QImage picture =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) {
        std::fprintf(stderr, "raw-picture: cannot read %s\n", argv[1]);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "raw-picture: cannot write %s\n", argv[2]);
        return 1;
    }
    const quint32 size[2] = {qToLittleEndian(quint32(picture.width())),
                             qToLittleEndian(quint32(picture.height()))};
    out.write(reinterpret_cast<const char*>(size), sizeof size);
    for (int y = 0; y < picture.height(); ++y)
        out.write(reinterpret_cast<const char*>(picture.constScanLine(y)), picture.width() * 4);
    return out.error() == QFile::NoError ? 0 : 1;
}
