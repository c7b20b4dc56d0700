// Stand-in for the icon exporter until the board's own one is built: writes
// the program icon at 32 x 32 and 256 x 256 (each pixel of the 32 x 32 pixel
// art as an 8 x 8 block, no smoothing) and an .ico file, into the directory
// given as the only argument.

#include "board/pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const QImage icon = honura::pictures::foxIcon();
    const QImage large = icon.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const struct {
        const QImage& image;
        const char* name;
        const char* format;
    } files[] = {{icon, "honura-32.png", "png"},
                 {large, "honura-256.png", "png"},
                 {icon, "honura.ico", "ico"}};
    for (const auto& f : files) {
        QImageWriter writer(out.filePath(QString::fromLatin1(f.name)), f.format);
        if (!writer.write(f.image)) {
            std::fprintf(stderr, "cannot write %s: %s\n", f.name, qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}
