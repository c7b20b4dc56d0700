#include "pictures/pictures.h"

#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

namespace honura::pictures {
namespace {

// One character of a drawing and the colour it stands for.
struct Ink {
    char key;
    QRgb colour;
};

// The standard 16-colour palette, and '.' for a transparent pixel.
constexpr std::array kStandardInks{
    Ink{'.', 0x00000000}, // transparent
    Ink{'K', 0xff000000}, // black
    Ink{'M', 0xff800000}, // maroon
    Ink{'E', 0xff008000}, // green
    Ink{'O', 0xff808000}, // olive
    Ink{'N', 0xff000080}, // navy
    Ink{'P', 0xff800080}, // purple
    Ink{'T', 0xff008080}, // teal
    Ink{'S', 0xffc0c0c0}, // silver
    Ink{'G', 0xff808080}, // grey
    Ink{'R', 0xffff0000}, // red
    Ink{'L', 0xff00ff00}, // lime
    Ink{'Y', 0xffffff00}, // yellow
    Ink{'B', 0xff0000ff}, // blue
    Ink{'F', 0xffff00ff}, // fuchsia
    Ink{'A', 0xff00ffff}, // aqua
    Ink{'W', 0xffffffff}, // white
};

// The torii's own colours: vermilion with its light and shade, the black cap
// and feet, the plaque with its gilt letter, a faint shadow on the ground.
constexpr std::array kToriiInks{
    Ink{'.', 0xffffffff}, // background
    Ink{'R', 0xffde3824}, // vermilion
    Ink{'h', 0xfff06e50}, // vermilion in the light
    Ink{'r', 0xffa82216}, // vermilion in the shade
    Ink{'K', 0xff221e1e}, // black lacquer
    Ink{'k', 0xff5a5656}, // black lacquer in the light
    Ink{'n', 0xff282838}, // the plaque
    Ink{'Y', 0xffd8b040}, // gilt
    Ink{'g', 0xffdcdcdc}, // ground shadow
};

// clang-format off
// The torii, 70 x 54, on white.
constexpr std::array<std::string_view, 54> kToriiArt{
    "......................................................................",
    ".kk................................................................kk.",
    ".KKkk............................................................kkKK.",
    ".rRKKkkkk....................................................kkkkKKRr.",
    ".rRRRKKKKkkkkkkkk....................................kkkkkkkkKKKKRRRr.",
    ".rrRRRRRRKKKKKKKKkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkKKKKKKKKRRRRRRrr.",
    "...rrRRRRRRRRRRRRKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKRRRRRRRRRRRRrr...",
    ".....rrrrRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRrrrr.....",
    ".........rrrrrrrrRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRrrrrrrrr.........",
    ".................rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr.................",
    ".....RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR.....",
    ".....RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR.....",
    ".....rrrrrrrrrrrrrrrrrrrrrrrrrrKKKKKKKKrrrrrrrrrrrrrrrrrrrrrrrrrr.....",
    "...............hRRRRrr.........KnnnnnnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnYYYYnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnnYYnnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnYnnYnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnnYYnnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnYYYYnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnnnnnnK.........hRRRRrr...............",
    "...............hRRRRrr.........KnnnnnnK.........hRRRRrr...............",
    "...............hRRRRrr.........KKKKKKKK.........hRRRRrr...............",
    ".......hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh.......",
    ".......RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR.......",
    ".......RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR.......",
    ".......rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr.......",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    "..............hRRRRrr............................hRRRRrr..............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    ".............hRRRRrr..............................hRRRRrr.............",
    "............kKKKKKKKK............................kKKKKKKKK............",
    "............kKKKKKKKK............................kKKKKKKKK............",
    "............kKKKKKKKK............................kKKKKKKKK............",
    "............kKKKKKKKK............................kKKKKKKKK............",
    "............kKKKKKKKK............................kKKKKKKKK............",
    "............kKKKKKKKK............................kKKKKKKKK............",
    ".........gggggggggggggggg....................gggggggggggggggg.........",
    "......................................................................",
};

// The possession cursor, 32 x 32: a hand pointing at a coin. The hotspot (12, 1) lies
// in the coin just above the fingertip.
constexpr std::array<std::string_view, 32> kCursorArt{
    ".........KKKKKKK................",
    "......KKKMMMMMMMKKK.............",
    ".....KMMMMMKKKKMMMMK............",
    "....KMMMMMKWWWSKMMMMK...........",
    "....KMMMMMKWWWSKMMMMK...........",
    ".....KMMMMKWWWSKMMMK............",
    "......KKKKKWWWSKKKK.............",
    "..........KWWWSK................",
    "..........KWWWSK................",
    "..........KWWWSKKKK.............",
    "..........KWWWSKWWSKKK..........",
    "..........KWWWSKWWSKWSKK........",
    ".....KK...KWWWSKWWSKWWSKKK......",
    "....KWSK..KWWWSGWWSGWWSKWSK.....",
    "....KWWSK.KWWWWWWWWWWWWGWWSK....",
    ".....KWWSKKWWWWWWWWWWWWWWWSK....",
    "......KWWSGWWWWWWWWWWWWWWWSK....",
    ".......KWWWWWWWWWWWWWWWWWSK.....",
    "........KSWWWWWWWWWWWWWWSK......",
    ".........KSSWWWWWWWWWWSSK.......",
    "..........KKSSSSSSSSSSKK........",
    "..........NNNNNNNNNNNNNN........",
    "..........NBBBBBBBBBBBBN........",
    "..........NBBBBBBBBBBBBN........",
    "..........NNNNNNNNNNNNNN........",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
};

// The fox icon, 32 x 32: the face on a white square, two pixels of transparent margin.
constexpr std::array<std::string_view, 32> kFoxArt{
    "................................",
    "................................",
    "..WWWWWWWWWWWWWWWWWWWWWWWWWWWW..",
    "..WWWKWWWWWWWWWWWWWWWWWWWWKWWW..",
    "..WWWKKWWWWWWWWWWWWWWWWWWKKWWW..",
    "..WWWKGKWWWWWWWWWWWWWWWWKGKWWW..",
    "..WWKGSKKWWWWWWWWWWWWWWKKSGKWW..",
    "..WWKGSSGKWWWWWWWWWWWWKGSSGKWW..",
    "..WWKGSSSGKWWWWWWWWWWKGSSSGKWW..",
    "..WKGSSSSSGKKWWWWWWKKGSSSSSGKW..",
    "..WKGSSSSSGWWKKKKKKWWGSSSSSGKW..",
    "..WKGGSSSGWWWWWWWWWWWWGSSSGGKW..",
    "..WKWGGGGWWWWWWWWWWWWWWGGGGWKW..",
    "..WKWWWWWWWWWWWWWWWWWWWWWWWWKW..",
    "..WKWWWKKWWWWWWWWWWWWWWKKWWWKW..",
    "..WKWWWWKKKWWWWWWWWWWKKKWWWWKW..",
    "..WKWWWWWKKKWWWWWWWWKKKWWWWWKW..",
    "..KWGWWWWWWWGWWWWWWGWWWWWWWGWK..",
    "..KWWGWWWWWWGWWWWWWGWWWWWWGWWK..",
    "..WKWWGWWWWWGWWWWWWGWWWWWGWWKW..",
    "..WWKWWWWWWWWGWWWWGWWWWWWWWKWW..",
    "..WWWKWWWWWWWGWWWWGWWWWWWWKWWW..",
    "..WWWWKWWWWWWGWWWWGWWWWWWKWWWW..",
    "..WWWWWKWWWWWWGWWGWWWWWWKWWWWW..",
    "..WWWWWWKWWWWWGWWGWWWWWKWWWWWW..",
    "..WWWWWWWKWWWWKKKKWWWWKWWWWWWW..",
    "..WWWWWWWWKWWWWKKWWWWKWWWWWWWW..",
    "..WWWWWWWWWKKWWGGWWKKWWWWWWWWW..",
    "..WWWWWWWWWWWKKKKKKWWWWWWWWWWW..",
    "..WWWWWWWWWWWWWWWWWWWWWWWWWWWW..",
    "................................",
    "................................",
};

// The fox icon drawn again for 48 x 48 from the same lines, one pixel wide, where
// enlarging the 32-pixel drawing by one and a half would make them uneven.
constexpr std::array<std::string_view, 48> kFox48Art{
    "................................................",
    "................................................",
    "................................................",
    "...WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW...",
    "...WWWWWKWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWKWWWWW...",
    "...WWWWWKKWWWWWWWWWWWWWWWWWWWWWWWWWWWWKKWWWWW...",
    "...WWWWWKGKWWWWWWWWWWWWWWWWWWWWWWWWWWKGKWWWWW...",
    "...WWWWKGSGKWWWWWWWWWWWWWWWWWWWWWWWWKGSGKWWWW...",
    "...WWWWKGSSGKWWWWWWWWWWWWWWWWWWWWWWKGSSGKWWWW...",
    "...WWWWKGSSSGKWWWWWWWWWWWWWWWWWWWWKGSSSGKWWWW...",
    "...WWWKGSSSSSGKWWWWWWWWWWWWWWWWWWKGSSSSSGKWWW...",
    "...WWWKGSSSSSSGKWWWWWWWWWWWWWWWWKGSSSSSSGKWWW...",
    "...WWWKGSSSSSSSGKWWWWWWWWWWWWWWKGSSSSSSSGKWWW...",
    "...WWKGSSSSSSSSSGKWWWWWWWWWWWWKGSSSSSSSSSGKWW...",
    "...WWKGSSSSSSSSSGWKWWWWWWWWWWKWGSSSSSSSSSGKWW...",
    "...WWKGSSSSSSSSSGWWKKKKKKKKKKWWGSSSSSSSSSGKWW...",
    "...WWKGSSSSSSSSGWWWWWWWWWWWWWWWWGSSSSSSSSGKWW...",
    "...WWKGSSSSSSGGWWWWWWWWWWWWWWWWWWGGSSSSSSGKWW...",
    "...WWKWGGGGGGWWWWWWWWWWWWWWWWWWWWWWGGGGGGWKWW...",
    "...WWKWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWKWW...",
    "...WWKWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWKWW...",
    "...WWKWWWWWKKWWWWWWWWWWWWWWWWWWWWWWKKWWWWWKWW...",
    "...WWKWWWWWKKKKWWWWWWWWWWWWWWWWWWKKKKWWWWWKWW...",
    "...WWKWWWWWWWKKKKWWWWWWWWWWWWWWKKKKWWWWWWWKWW...",
    "...WWKWWWWWWWWWKKKWWWWWWWWWWWWKKKWWWWWWWWWKWW...",
    "...WKWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWKW...",
    "...WKWGWWWWWWWWWWWWGWWWWWWWWGWWWWWWWWWWWWGWKW...",
    "...WKWWGWWWWWWWWWWWGWWWWWWWWGWWWWWWWWWWWGWWKW...",
    "...WKWWWGWWWWWWWWWWGWWWWWWWWGWWWWWWWWWWGWWWKW...",
    "...WWKWWWGWWWWWWWWWGWWWWWWWWGWWWWWWWWWGWWWKWW...",
    "...WWWKWWWWWWWWWWWWWGWWWWWWGWWWWWWWWWWWWWKWWW...",
    "...WWWWKWWWWWWWWWWWWGWWWWWWGWWWWWWWWWWWWKWWWW...",
    "...WWWWWKWWWWWWWWWWWGWWWWWWGWWWWWWWWWWWKWWWWW...",
    "...WWWWWWKWWWWWWWWWWGWWWWWWGWWWWWWWWWWKWWWWWW...",
    "...WWWWWWWKWWWWWWWWWWGWWWWGWWWWWWWWWWKWWWWWWW...",
    "...WWWWWWWWKWWWWWWWWWGWWWWGWWWWWWWWWKWWWWWWWW...",
    "...WWWWWWWWWKWWWWWWWWGWWWWGWWWWWWWWKWWWWWWWWW...",
    "...WWWWWWWWWWKWWWWWWWKKKKKKWWWWWWWKWWWWWWWWWW...",
    "...WWWWWWWWWWWKWWWWWWWKKKKWWWWWWWKWWWWWWWWWWW...",
    "...WWWWWWWWWWWWKWWWWWWWKKWWWWWWWKWWWWWWWWWWWW...",
    "...WWWWWWWWWWWWWKWWWWWWGGWWWWWWKWWWWWWWWWWWWW...",
    "...WWWWWWWWWWWWWWKKWWWWGGWWWWKKWWWWWWWWWWWWWW...",
    "...WWWWWWWWWWWWWWWWKKKKKKKKKKWWWWWWWWWWWWWWWW...",
    "...WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW...",
    "...WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW...",
    "................................................",
    "................................................",
    "................................................",
};

// The fox icon drawn again for 16 x 16, where a reduction of the large one would blur.
constexpr std::array<std::string_view, 16> kFox16Art{
    "................",
    ".WWWWWWWWWWWWWW.",
    ".WKWWWWWWWWWWKW.",
    ".WKKWWWWWWWWKKW.",
    ".KGSKWWWWWWKSGK.",
    ".KGGSKKKKKKSGGK.",
    ".KWWWWWWWWWWWWK.",
    ".KWKKWWWWWWKKWK.",
    ".KWWKKWWWWKKWWK.",
    ".WKWWWGWWGWWWKW.",
    ".WWKWWGWWGWWKWW.",
    ".WWWKWWGGWWKWWW.",
    ".WWWWKWKKWKWWWW.",
    ".WWWWWKKKKWWWWW.",
    ".WWWWWWWWWWWWWW.",
    "................",
};
// clang-format on

// True when every row has the width of the first and every character has an ink.
template <std::size_t Rows, std::size_t Inks>
constexpr bool wellFormed(const std::array<std::string_view, Rows>& art,
                          const std::array<Ink, Inks>& inks)
{
    for (const std::string_view row : art) {
        if (row.size() != art[0].size())
            return false;
        for (const char c : row) {
            if (std::none_of(inks.begin(), inks.end(), [c](const Ink& i) { return i.key == c; }))
                return false;
        }
    }
    return true;
}

// The standard inks are opaque, or transparent black.
static_assert(std::all_of(kStandardInks.begin(), kStandardInks.end(),
                          [](const Ink& i) { return qAlpha(i.colour) == 255 || i.colour == 0; }));
static_assert(wellFormed(kToriiArt, kToriiInks));
static_assert(kToriiArt.size() == 54 && kToriiArt[0].size() == 70);
static_assert(wellFormed(kCursorArt, kStandardInks));
static_assert(kCursorArt.size() == 32 && kCursorArt[0].size() == 32);
static_assert(wellFormed(kFoxArt, kStandardInks));
static_assert(kFoxArt.size() == 32 && kFoxArt[0].size() == 32);
static_assert(wellFormed(kFox16Art, kStandardInks));
static_assert(kFox16Art.size() == 16 && kFox16Art[0].size() == 16);
static_assert(wellFormed(kFox48Art, kStandardInks));
static_assert(kFox48Art.size() == 48 && kFox48Art[0].size() == 48);

template <std::size_t Rows, std::size_t Inks>
QImage draw(const std::array<std::string_view, Rows>& art, const std::array<Ink, Inks>& inks)
{
    std::array<QRgb, 128> colourOf{};
    for (const Ink& i : inks)
        colourOf[static_cast<unsigned char>(i.key)] = i.colour;
    const int width = static_cast<int>(art[0].size());
    QImage image(width, static_cast<int>(Rows), QImage::Format_ARGB32);
    for (std::size_t y = 0; y < Rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (const char c : art[y])
            *line++ = colourOf[static_cast<unsigned char>(c)];
    }
    return image;
}

QPixmap sharpPixmap(const QImage& image, qreal devicePixelRatio)
{
    const int factor = pixelFactor(devicePixelRatio);
    QPixmap pixmap = QPixmap::fromImage(enlarged(image, factor));
    pixmap.setDevicePixelRatio(factor);
    return pixmap;
}

} // namespace

QImage torii() { return draw(kToriiArt, kToriiInks).convertToFormat(QImage::Format_RGB32); }

QPixmap toriiPixmap(qreal devicePixelRatio) { return sharpPixmap(torii(), devicePixelRatio); }

QImage possessionCursorImage() { return draw(kCursorArt, kStandardInks); }

HotspotUnit nativeHotspotUnit()
{
    return QGuiApplication::platformName() == QLatin1String("xcb")
               ? HotspotUnit::DevicePixels
               : HotspotUnit::DeviceIndependentPixels;
}

QCursor possessionCursor(qreal devicePixelRatio)
{
    return possessionCursor(devicePixelRatio, nativeHotspotUnit());
}

QCursor possessionCursor(qreal devicePixelRatio, HotspotUnit unit)
{
    const QPixmap pixmap = sharpPixmap(possessionCursorImage(), devicePixelRatio);
    const int scale = unit == HotspotUnit::DevicePixels ? pixelFactor(devicePixelRatio) : 1;
    return QCursor(pixmap, kPossessionHotspot.x() * scale, kPossessionHotspot.y() * scale);
}

QImage foxIcon() { return draw(kFoxArt, kStandardInks); }

QList<QImage> foxIconSizes()
{
    const QImage fox = foxIcon();
    return {draw(kFox16Art, kStandardInks),
            fox,
            draw(kFox48Art, kStandardInks),
            enlarged(fox, 2),
            enlarged(fox, 4),
            enlarged(fox, 8)};
}

QIcon appIcon()
{
    QIcon icon;
    for (QImage& image : foxIconSizes()) {
        // Each pixel is opaque or transparent black, the same premultiplied:
        // so the pixmap takes the image as it is instead of a converted copy.
        image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
        icon.addPixmap(QPixmap::fromImage(std::move(image)));
    }
    return icon;
}

QImage enlarged(const QImage& image, int factor)
{
    if (factor <= 1)
        return image;
    // Pixels are copied as QRgb words, so the image must be stored as such.
    const bool words = image.format() == QImage::Format_RGB32 ||
                       image.format() == QImage::Format_ARGB32 ||
                       image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage source = words ? image : image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    QImage result(width * factor, source.height() * factor, source.format());
    const auto rowBytes = static_cast<std::size_t>(result.width()) * sizeof(QRgb);
    for (int y = 0; y < source.height(); ++y) {
        // The source row widened once, then copied to the other rows of its block.
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(result.scanLine(y * factor));
        QRgb* out = to;
        for (int x = 0; x < width; ++x)
            out = std::fill_n(out, factor, from[x]);
        for (int k = 1; k < factor; ++k)
            std::memcpy(result.scanLine(y * factor + k), to, rowBytes);
    }
    return result;
}

int pixelFactor(qreal devicePixelRatio)
{
    // A ratio a hair above a whole number (rounding in the platform) counts as
    // that number; anything more takes the next one up, and the toolkit then
    // reduces rather than enlarges.
    return std::max(1, static_cast<int>(std::ceil(devicePixelRatio - 0.01)));
}

} // namespace honura::pictures
