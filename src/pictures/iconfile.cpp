#include "pictures/iconfile.h"

#include <QBuffer>
#include <QString>
#include <QtEndian>

#include <algorithm>

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

// One rectangle of the SVG picture, in pixels.
struct Run {
    int x;
    int y;
    int width;
    int height;
    QRgb colour;
};

// The image as rectangles of one colour: runs along each row, each joined
// with the runs of the same place and colour on the rows below.
QList<Run> runsOf(const QImage& image)
{
    QList<Run> done;
    QList<Run> open; // the runs that reached the row above
    for (int y = 0; y < image.height(); ++y) {
        QList<Run> row;
        for (int x = 0; x < image.width();) {
            const QRgb colour = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == colour)
                ++end;
            if (qAlpha(colour) != 0)
                row.append({x, y, end - x, 1, colour});
            x = end;
        }
        QList<Run> next;
        for (Run run : row) {
            const auto above = std::find_if(open.begin(), open.end(), [&](const Run& r) {
                return r.x == run.x && r.width == run.width && r.colour == run.colour;
            });
            if (above != open.end()) {
                run = *above;
                ++run.height;
                open.erase(above);
            }
            next.append(run);
        }
        done.append(open);
        open = next;
    }
    done.append(open);
    return done;
}

} // namespace

QByteArray pngFile(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG"))
        return {};
    return png;
}

QByteArray svgFile(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                    "height=\"%2\" viewBox=\"0 0 %1 %2\" "
                                    "shape-rendering=\"crispEdges\">\n")
                         .arg(argb.width())
                         .arg(argb.height())
                         .toUtf8();
    for (const Run& r : runsOf(argb)) {
        QString rect = QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                                      "fill=\"#%5\"")
                           .arg(r.x)
                           .arg(r.y)
                           .arg(r.width)
                           .arg(r.height)
                           .arg(r.colour & 0xffffff, 6, 16, QLatin1Char('0'));
        if (qAlpha(r.colour) != 255)
            rect += QStringLiteral(" fill-opacity=\"%1\"").arg(qAlpha(r.colour) / 255.0, 0, 'g', 3);
        out += rect.toUtf8() + "/>\n";
    }
    out += "</svg>\n";
    return out;
}

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
        pngs.append(pngFile(image));
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
