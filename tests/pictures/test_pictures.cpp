// The embedded pictures: sizes, colours, transparency and their sharp renderings.
#include "pictures/iconfile.h"
#include "pictures/pictures.h"

#include "testmain.h"

#include <QXmlStreamReader>
#include <QtEndian>

#include <algorithm>
#include <utility>

using namespace honura::pictures;

namespace {

// The standard 16-colour palette.
const QList<QRgb> kStandard16{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                              0x008080, 0xc0c0c0, 0x808080, 0xff0000, 0x00ff00, 0xffff00,
                              0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};

QRgb rgbAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xffffff; }

// How many pixels of the image have each colour, opaque pixels only; -1 counts
// pixels that are neither opaque nor fully transparent.
QMap<qint64, int> census(const QImage& image)
{
    QMap<qint64, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha == 255)
                ++counts[rgbAt(image, x, y)];
            else if (alpha != 0)
                ++counts[-1];
        }
    }
    return counts;
}

// The census of an image that must use only the standard colours, each pixel
// fully opaque or fully transparent; empty after a failure.
QMap<qint64, int> standardCensus(const QImage& image)
{
    const QMap<qint64, int> counts = census(image);
    if (counts.contains(-1)) {
        QTest::qFail("a pixel is neither opaque nor transparent", __FILE__, __LINE__);
        return {};
    }
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (!kStandard16.contains(QRgb(it.key()))) {
            QTest::qFail(qPrintable(QStringLiteral("colour %1 is not a standard one")
                                        .arg(it.key(), 6, 16, QLatin1Char('0'))),
                         __FILE__, __LINE__);
            return {};
        }
    }
    return counts;
}

int opaqueCount(const QImage& image)
{
    int n = 0;
    for (const int c : census(image))
        n += c;
    return n;
}

// Fails unless big is small with every pixel made a factor x factor block.
void verifyBlocks(const QImage& small, const QImage& big, int factor)
{
    QCOMPARE(big.size(), small.size() * factor);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            QCOMPARE(big.pixel(x, y), small.pixel(x / factor, y / factor));
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void toriiIsRedOnWhite();
    void toriiStaysItsLogicalSize_data();
    void toriiStaysItsLogicalSize();
    void cursorUsesTheStandardPalette();
    void cursorHotspotIsOnTheCoin();
    void cursorIsSharpAtDoubleRatio();
    void foxSitsOnAWhiteSquare();
    void appIconHasCrispSizes();
    void enlargedMakesBlocks();
    void pixelFactorRoundsUp();
    void icoFileListsEveryImage();
    void icoFileRejectsWhatItCannotStore();
    void svgFileDrawsEveryPixel();
};

void TestPictures::toriiIsRedOnWhite()
{
    const QImage t = torii();
    QCOMPARE(t.size(), QSize(70, 54));
    QCOMPARE(t.size(), kToriiSize);
    QVERIFY(!t.hasAlphaChannel());
    for (const QPoint corner : {QPoint(0, 0), QPoint(69, 0), QPoint(0, 53), QPoint(69, 53)})
        QCOMPARE(rgbAt(t, corner.x(), corner.y()), QRgb(0xffffff));
    int white = 0, red = 0;
    for (int y = 0; y < t.height(); ++y) {
        for (int x = 0; x < t.width(); ++x) {
            const QColor c = t.pixelColor(x, y);
            white += c.rgb() == qRgb(255, 255, 255);
            red += c.red() > 150 && c.red() > 2 * c.green() && c.red() > 2 * c.blue();
        }
    }
    const int all = 70 * 54;
    QVERIFY2(white > all / 2, qPrintable(QString::number(white)));
    QVERIFY2(red > all / 6, qPrintable(QString::number(red)));
    // The gate stands upright: its two pillars mirror each other.
    for (int y = 0; y < t.height(); ++y) {
        int left = -1, right = -1;
        for (int x = 0; x < 35; ++x)
            if (rgbAt(t, x, y) != 0xffffff && left < 0)
                left = x;
        for (int x = 69; x >= 35; --x)
            if (rgbAt(t, x, y) != 0xffffff && right < 0)
                right = 69 - x;
        QCOMPARE(left, right);
    }
}

void TestPictures::toriiStaysItsLogicalSize_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("factor");
    QTest::newRow("1") << 1.0 << 1;
    QTest::newRow("1.25") << 1.25 << 2;
    QTest::newRow("2") << 2.0 << 2;
    QTest::newRow("3") << 3.0 << 3;
}

void TestPictures::toriiStaysItsLogicalSize()
{
    QFETCH(qreal, ratio);
    QFETCH(int, factor);
    const QPixmap p = toriiPixmap(ratio);
    QCOMPARE(p.deviceIndependentSize().toSize(), QSize(70, 54));
    QCOMPARE(p.devicePixelRatio(), qreal(factor));
    verifyBlocks(torii().convertToFormat(QImage::Format_ARGB32),
                 p.toImage().convertToFormat(QImage::Format_ARGB32), factor);
}

void TestPictures::cursorUsesTheStandardPalette()
{
    const QImage c = possessionCursorImage();
    QCOMPARE(c.size(), QSize(32, 32));
    const QMap<qint64, int> counts = standardCensus(c);
    if (QTest::currentTestFailed())
        return;
    // The hand white with grey, silver and a black outline; the coin maroon;
    // the cuff navy and blue.
    for (const QRgb colour : {0xffffff, 0x808080, 0xc0c0c0, 0x000000, 0x800000, 0x000080, 0x0000ff})
        QVERIFY2(counts.value(colour) > 0, qPrintable(QString::number(colour, 16)));
    QVERIFY(counts.value(0xffffff) > counts.value(0xc0c0c0));
    QVERIFY(counts.value(0x800000) >= 30);
    const int opaque = opaqueCount(c);
    QVERIFY2(opaque >= 320 && opaque <= 400, qPrintable(QString::number(opaque)));
}

void TestPictures::cursorHotspotIsOnTheCoin()
{
    const QImage c = possessionCursorImage();
    const QPoint hot = kPossessionHotspot;
    QCOMPARE(hot, QPoint(12, 1));
    QCOMPARE(qAlpha(c.pixel(hot)), 255);
    QCOMPARE(rgbAt(c, hot.x(), hot.y()), QRgb(0x800000));
    // The fingertip rests just below the hotspot, and coin lies on both sides.
    QCOMPARE(rgbAt(c, hot.x(), hot.y() + 1), QRgb(0x000000));
    QCOMPARE(rgbAt(c, hot.x(), hot.y() + 2), QRgb(0xffffff));
    QCOMPARE(rgbAt(c, hot.x() - 4, hot.y() + 2), QRgb(0x800000));
    QCOMPARE(rgbAt(c, hot.x() + 5, hot.y() + 2), QRgb(0x800000));
    // The bottom row and the top corners are empty.
    for (int x = 0; x < 32; ++x)
        QCOMPARE(qAlpha(c.pixel(x, 31)), 0);
    QCOMPARE(qAlpha(c.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(c.pixel(31, 0)), 0);
}

void TestPictures::cursorIsSharpAtDoubleRatio()
{
    const QCursor one = possessionCursor();
    QCOMPARE(one.hotSpot(), kPossessionHotspot);
    QCOMPARE(one.pixmap().size(), QSize(32, 32));

    const QCursor two = possessionCursor(2.0, HotspotUnit::DeviceIndependentPixels);
    QCOMPARE(two.hotSpot(), kPossessionHotspot);
    QCOMPARE(two.pixmap().devicePixelRatio(), 2.0);
    verifyBlocks(possessionCursorImage(),
                 two.pixmap().toImage().convertToFormat(QImage::Format_ARGB32), 2);

    // Where the window system counts device pixels, the hotspot stays on the
    // same pixel of the picture: the coin above the fingertip.
    const QCursor native = possessionCursor(2.0, HotspotUnit::DevicePixels);
    QCOMPARE(native.hotSpot(), kPossessionHotspot * 2);
    const QImage image = native.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(rgbAt(image, native.hotSpot().x(), native.hotSpot().y()), QRgb(0x800000));
    QCOMPARE(rgbAt(image, native.hotSpot().x(), native.hotSpot().y() + 2), QRgb(0x000000));
    // The offscreen platform of the tests reads it in device-independent pixels.
    QCOMPARE(nativeHotspotUnit(), HotspotUnit::DeviceIndependentPixels);
    QCOMPARE(possessionCursor(2.0).hotSpot(), kPossessionHotspot);
}

void TestPictures::foxSitsOnAWhiteSquare()
{
    const QImage f = foxIcon();
    QCOMPARE(f.size(), QSize(32, 32));
    const QMap<qint64, int> counts = standardCensus(f);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(counts.value(0x000000) > 40);
    QVERIFY(counts.value(0x808080) > 10);
    QVERIFY(counts.value(0xffffff) > 28 * 28 / 2);

    const int m = kFoxMargin;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool margin = x < m || y < m || x >= 32 - m || y >= 32 - m;
            QCOMPARE(qAlpha(f.pixel(x, y)), margin ? 0 : 255);
        }
    }
    // The square's edge is white where the face does not reach it.
    QCOMPARE(rgbAt(f, m, m), QRgb(0xffffff));
    QCOMPARE(rgbAt(f, 31 - m, 31 - m), QRgb(0xffffff));
}

void TestPictures::appIconHasCrispSizes()
{
    const QList<QImage> sizes = foxIconSizes();
    QList<int> sides;
    for (const QImage& image : sizes)
        sides.append(image.width());
    QCOMPARE(sides, (QList<int>{16, 32, 48, 64, 128, 256}));
    for (const QImage& image : sizes) {
        if (image.width() % 32 == 0)
            verifyBlocks(foxIcon(), image, image.width() / 32);
    }
    // 16 and 48 are drawn on their own, in the same colours, on a margin of
    // one and three pixels, left and right mirror images like the fox.
    for (const auto& [image, margin] : {std::pair{sizes[0], 1}, std::pair{sizes[2], 3}}) {
        const int side = image.width();
        const QMap<qint64, int> counts = standardCensus(image);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(counts.value(0x000000) > side / 2);
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const bool inMargin = std::min({x, y, side - 1 - x, side - 1 - y}) < margin;
                QCOMPARE(qAlpha(image.pixel(x, y)), inMargin ? 0 : 255);
                QCOMPARE(image.pixel(x, y), image.pixel(side - 1 - x, y));
            }
        }
    }

    const QIcon icon = appIcon();
    QVERIFY(!icon.isNull());
    for (const int side : {16, 32, 48, 64, 128, 256})
        QVERIFY(icon.availableSizes().contains(QSize(side, side)));
    verifyBlocks(foxIcon(),
                 icon.pixmap(QSize(64, 64)).toImage().convertToFormat(QImage::Format_ARGB32), 2);
}

void TestPictures::enlargedMakesBlocks()
{
    QImage small(2, 3, QImage::Format_ARGB32);
    const QRgb colours[] = {0xff102030, 0x80405060, 0x00000000, 0xffffffff, 0xff800000, 0x01020304};
    for (int i = 0; i < 6; ++i)
        small.setPixel(i % 2, i / 2, colours[i]);
    const QImage big = enlarged(small, 3);
    QCOMPARE(big.size(), QSize(6, 9));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 6; ++x)
            QCOMPARE(big.pixel(x, y), colours[(y / 3) * 2 + x / 3]);
    QCOMPARE(enlarged(small, 1), small);
    QCOMPARE(enlarged(small, 0), small);
    // Other pixel layouts come out as 32-bit ARGB, with the same colours.
    for (const QImage::Format format :
         {QImage::Format_Mono, QImage::Format_RGBA8888, QImage::Format_RGB888}) {
        const QImage other = small.convertToFormat(format);
        const QImage twice = enlarged(other, 2);
        QCOMPARE(twice.format(), QImage::Format_ARGB32);
        QCOMPARE(twice.pixel(3, 5), other.pixel(1, 2));
        QCOMPARE(twice.pixel(0, 0), other.pixel(0, 0));
    }
}

void TestPictures::pixelFactorRoundsUp()
{
    QCOMPARE(pixelFactor(0.5), 1);
    QCOMPARE(pixelFactor(1.0), 1);
    QCOMPARE(pixelFactor(1.005), 1);
    QCOMPARE(pixelFactor(1.25), 2);
    QCOMPARE(pixelFactor(1.5), 2);
    QCOMPARE(pixelFactor(2.0), 2);
    QCOMPARE(pixelFactor(2.5), 3);
}

void TestPictures::icoFileListsEveryImage()
{
    const QList<QImage> sizes = foxIconSizes();
    const QByteArray ico = icoFile(sizes);
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
    QCOMPARE(u16(0), 0);
    QCOMPARE(u16(2), 1);
    QCOMPARE(u16(4), sizes.size());
    quint32 expectedOffset = 6 + 16 * sizes.size();
    for (int i = 0; i < sizes.size(); ++i) {
        const int entry = 6 + 16 * i;
        const int side = sizes[i].width();
        QCOMPARE(quint8(ico[entry]), quint8(side % 256));
        QCOMPARE(quint8(ico[entry + 1]), quint8(side % 256));
        QCOMPARE(u16(entry + 6), 32);
        const quint32 length = u32(entry + 8);
        QCOMPARE(u32(entry + 12), expectedOffset);
        const QImage stored = QImage::fromData(ico.mid(expectedOffset, length), "PNG")
                                  .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(stored, sizes[i].convertToFormat(QImage::Format_ARGB32));
        expectedOffset += length;
    }
    QCOMPARE(quint32(ico.size()), expectedOffset);
}

void TestPictures::icoFileRejectsWhatItCannotStore()
{
    QVERIFY(icoFile({}).isEmpty());
    QVERIFY(icoFile({QImage(32, 16, QImage::Format_ARGB32)}).isEmpty());
    QVERIFY(icoFile({foxIcon(), QImage(512, 512, QImage::Format_ARGB32)}).isEmpty());
}

// The SVG picture, read back rectangle by rectangle onto a transparent image,
// gives the fox pixel for pixel; nothing in it would smooth the squares.
void TestPictures::svgFileDrawsEveryPixel()
{
    const QImage fox = foxIcon();
    QXmlStreamReader svg(svgFile(fox));
    QImage drawn(fox.size(), QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    int rects = 0;
    while (svg.readNextStartElement()) {
        const QXmlStreamAttributes a = svg.attributes();
        if (svg.name() == QLatin1String("svg")) {
            QCOMPARE(a.value("viewBox"), QLatin1String("0 0 32 32"));
            QCOMPARE(a.value("shape-rendering"), QLatin1String("crispEdges"));
            continue; // into the rectangles
        }
        QCOMPARE(svg.name(), QLatin1String("rect"));
        ++rects;
        const QRect r(a.value("x").toInt(), a.value("y").toInt(), a.value("width").toInt(),
                      a.value("height").toInt());
        QVERIFY(fox.rect().contains(r));
        const QColor colour(a.value("fill").toString());
        QVERIFY(colour.isValid());
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                QCOMPARE(qAlpha(drawn.pixel(x, y)), 0); // no pixel drawn twice
                drawn.setPixel(x, y, colour.rgb());
            }
        }
        svg.skipCurrentElement();
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    QCOMPARE(drawn, fox);
    // Runs are joined: far fewer rectangles than the fox has opaque pixels.
    QVERIFY(rects < opaqueCount(fox) / 4);
}

HONURA_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
