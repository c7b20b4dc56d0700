#include "pictures/iconfile.h"

#include <QBuffer>
#include <QtEndian>

namespace honura::pictures {
namespace {

void putU8(QByteArray& out, int value) { out.append(static_cast<char>(value)); }

void putU16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG"))
        return {};
    return png;
}

} // namespace

QByteArray icoFile(const QList<QImage>& images)
{
    constexpr int kHeaderSize = 6;
    constexpr int kEntrySize = 16;
    if (images.isEmpty() || images.size() > 0xffff)
        return {};

    QList<QByteArray> pngs;
    for (const QImage& image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256)
            return {};
        pngs.append(pngOf(image));
        if (pngs.last().isEmpty())
            return {};
    }

    QByteArray out;
    putU16(out, 0); // reserved
    putU16(out, 1); // an icon, not a cursor
    putU16(out, static_cast<quint16>(images.size()));
    quint32 offset = kHeaderSize + kEntrySize * static_cast<quint32>(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int side = images[i].width();
        putU8(out, side == 256 ? 0 : side); // 0 stands for 256
        putU8(out, side == 256 ? 0 : side);
        putU8(out, 0);   // no colour table
        putU8(out, 0);   // reserved
        putU16(out, 1);  // colour planes
        putU16(out, 32); // bits per pixel
        putU32(out, static_cast<quint32>(pngs[i].size()));
        putU32(out, offset);
        offset += static_cast<quint32>(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        out.append(png);
    return out;
}

} // namespace honura::pictures
