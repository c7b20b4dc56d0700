#pragma once
// The three pictures the program carries, drawn as pixel art and embedded in
// the executable: the torii, the possession cursor and the fox icon.
//
// Pixel art is never smoothed: on a high-DPI screen each picture is drawn at a
// whole multiple of its size, every source pixel becoming a square block.

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPoint>

namespace honura::pictures {

// The torii of ImgMark: 70 x 54 pixels, red gate on white.
QImage torii();
inline constexpr QSize kToriiSize{70, 54};
// The torii for a screen of the given device pixel ratio: always 70 x 54
// device-independent pixels, drawn sharp.
QPixmap toriiPixmap(qreal devicePixelRatio = 1.0);

// The possession cursor: 32 x 32, colours of the standard 16-colour palette,
// transparent background.
QImage possessionCursorImage();
inline constexpr QPoint kPossessionHotspot{12, 1};
// The unit in which the window system reads the hotspot of a cursor drawn at
// a device pixel ratio above 1. Qt's X11 backend hands the number to the X
// server as it is, so there it counts device pixels.
enum class HotspotUnit { DeviceIndependentPixels, DevicePixels };
HotspotUnit nativeHotspotUnit();
// The cursor itself, sharp at the given device pixel ratio, its hotspot on the
// same point of the picture (kPossessionHotspot in device-independent pixels).
QCursor possessionCursor(qreal devicePixelRatio = 1.0);
QCursor possessionCursor(qreal devicePixelRatio, HotspotUnit unit);

// The fox icon: 32 x 32, a white square on a transparent margin.
QImage foxIcon();
inline constexpr int kFoxMargin = 2;
// The fox icon at the sizes the desktop asks for: 16 (drawn on its own, with a
// one-pixel margin), 32 (the icon itself), 48 (drawn on its own, with a
// three-pixel margin) and the whole multiples of 32: 64, 128, 256.
QList<QImage> foxIconSizes();
// The program icon for windows and the desktop.
QIcon appIcon();

// Every pixel of the image as a factor x factor block (factor >= 1).
QImage enlarged(const QImage& image, int factor);
// The whole factor pixel art is drawn at on a screen of this device pixel ratio.
int pixelFactor(qreal devicePixelRatio);

} // namespace honura::pictures
