#pragma once
// The Windows icon file format (.ico), for the program file's icon.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace honura::pictures {

// An .ico file holding the given square images (1 to 256 pixels a side), each
// stored as a 32-bit PNG entry. Empty when an image cannot be stored.
QByteArray icoFile(const QList<QImage>& images);

} // namespace honura::pictures
