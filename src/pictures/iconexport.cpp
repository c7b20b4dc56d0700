// honura_iconexport <directory> <icon name>: writes the program icon for
// installation and for the Windows resources, from the pixel art built into
// the program:
//   <directory>/hicolor/<n>x<n>/apps/<icon name>.png  n = 16, 32, 48, 64, 128, 256
//   <directory>/hicolor/scalable/apps/<icon name>.svg the 32-pixel drawing, scalable
//   <directory>/honura.ico                            every size in one file

#include "pictures/iconfile.h"
#include "pictures/pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool writeFile(const QDir& out, const QString& dir, const QString& name, const QByteArray& data)
{
    QFile file(out.filePath(dir + QLatin1Char('/') + name));
    if (data.isEmpty() || !out.mkpath(dir) || !file.open(QIODevice::WriteOnly) ||
        file.write(data) != data.size() || !file.flush()) {
        std::fprintf(stderr, "honura_iconexport: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: honura_iconexport <directory> <icon name>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    namespace pictures = honura::pictures;
    const QList<QImage> sizes = pictures::foxIconSizes();
    bool ok = true;
    for (const QImage& image : sizes) {
        ok = ok && writeFile(out, QStringLiteral("hicolor/%1x%1/apps").arg(image.width()),
                             name + QStringLiteral(".png"), pictures::pngFile(image));
    }
    ok = ok && writeFile(out, QStringLiteral("hicolor/scalable/apps"),
                         name + QStringLiteral(".svg"), pictures::svgFile(pictures::foxIcon()));
    ok = ok && writeFile(out, QStringLiteral("."), QStringLiteral("honura.ico"),
                         pictures::icoFile(sizes));
    return ok ? 0 : 1;
}
