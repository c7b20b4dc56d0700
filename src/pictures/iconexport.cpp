// honura_iconexport <directory>: writes the program icon for installation and
// for the Windows resources, from the pixel art built into the program:
//   <directory>/hicolor/<n>x<n>/apps/honura.png  for n = 16, 32, 64, 128, 256
//   <directory>/honura.ico                       the same sizes in one file

#include "pictures/iconfile.h"
#include "pictures/pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush()) {
        std::fprintf(stderr, "honura_iconexport: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: honura_iconexport <directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QList<QImage> sizes = honura::pictures::foxIconSizes();
    for (const QImage& image : sizes) {
        const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(image.width());
        if (!out.mkpath(dir)) {
            std::fprintf(stderr, "honura_iconexport: cannot create %s\n",
                         qPrintable(out.filePath(dir)));
            return 1;
        }
        const QString path = out.filePath(dir + QStringLiteral("/honura.png"));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "honura_iconexport: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QByteArray ico = honura::pictures::icoFile(sizes);
    if (ico.isEmpty() || !writeFile(out.filePath(QStringLiteral("honura.ico")), ico))
        return 1;
    return 0;
}
