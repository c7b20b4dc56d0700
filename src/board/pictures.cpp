#include "board/pictures.h"

#include <QPainter>

// Placeholder drawings until the pixel art lands.
namespace honura::pictures {

QImage torii()
{
    QImage img(70, 54, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(4, 6, 62, 5, QColor(200, 30, 30));
    p.fillRect(10, 16, 50, 4, QColor(200, 30, 30));
    p.fillRect(16, 8, 6, 46, QColor(200, 30, 30));
    p.fillRect(48, 8, 6, 46, QColor(200, 30, 30));
    return img;
}

QImage possessionCursorImage()
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setBrush(QColor(128, 0, 0));
    p.drawEllipse(8, 0, 8, 6);
    p.setBrush(Qt::white);
    p.drawRect(10, 4, 4, 14);
    p.drawRect(6, 14, 16, 12);
    return img;
}

QCursor possessionCursor(qreal)
{
    return QCursor(QPixmap::fromImage(possessionCursorImage()), kPossessionHotspot.x(),
                   kPossessionHotspot.y());
}

QImage foxIcon()
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.fillRect(2, 2, 28, 28, Qt::white);
    p.setPen(Qt::black);
    p.drawLine(6, 6, 16, 26);
    p.drawLine(26, 6, 16, 26);
    return img;
}

QIcon appIcon() { return QIcon(QPixmap::fromImage(foxIcon())); }

} // namespace honura::pictures
