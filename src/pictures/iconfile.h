#pragma once
// The icon files written from the pixel art: the Windows icon file (.ico) for
// the program file's icon, and a scalable picture (SVG) for the desktop.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace honura::pictures {

// A PNG file of the image, in 32-bit colour with alpha. Empty on failure.
QByteArray pngFile(const QImage& image);

// An .ico file holding the given square images (1 to 256 pixels a side), each
// stored as a 32-bit PNG entry. Empty when an image cannot be stored.
QByteArray icoFile(const QList<QImage>& images);

// An SVG picture of the image, one unit per pixel: every pixel a square, runs
// of one colour joined into rectangles, drawn with crisp edges so that no
// size smooths the pixel art. Transparent pixels are left out.
QByteArray svgFile(const QImage& image);

} // namespace honura::pictures
