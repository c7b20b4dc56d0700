#pragma once
// The three pictures the program carries, drawn as pixel art and embedded in
// the executable: the torii, the possession cursor and the fox icon.

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPoint>

namespace honura::pictures {

// The torii of ImgMark: 70 x 54 pixels, red gate on white.
QImage torii();
// The possession cursor: 32 x 32, 16-colour palette, transparent background.
QImage possessionCursorImage();
inline constexpr QPoint kPossessionHotspot{12, 1};
// The cursor itself, sharp at the given device pixel ratio.
QCursor possessionCursor(qreal devicePixelRatio = 1.0);
// The fox icon: 32 x 32 on a transparent margin.
QImage foxIcon();
// The program icon for windows and the desktop, with crisp larger renderings.
QIcon appIcon();

} // namespace honura::pictures
