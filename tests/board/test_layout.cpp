// The board layout arithmetic, against worked figures.
#include "board/layout.h"

#include <QTest>

using namespace honura::layout;
using namespace honura::twips;

class TestLayout : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void defaultWindow();
    void rowHeightNeedsDoublePrecision();
    void emptyWindow();
    void oddPictureWidth();
    void resizeOneDirection_data();
    void resizeOneDirection();
    void cellsTileWithoutGaps();
    void rounding();
};

void TestLayout::defaultWindow()
{
    const TxtMsgPlace msg = txtMsgPlace(6945);
    QCOMPARE(msg.top, 0.0f);
    QCOMPARE(msg.left, 347.0f);
    QCOMPARE(msg.width, 6251.0f);

    const ImgMarkPlace mark = imgMarkPlace(6945, 5580, 1050, 810);
    QCOMPARE(mark.top, 711.0f);
    QCOMPARE(mark.left, 2947.5f);

    const BoardPlaces b = boardPlaces(6945, 5580);
    QCOMPARE(b.yes, (TwipBox{1137, 1116, 1198, 558}));
    QCOMPARE(b.no, (TwipBox{4609, 1116, 1198, 558}));
    const float rowTops[] = {1674, 2232, 2790, 3348, 3906, 4464};
    const float colLefts[] = {0, 599, 1198, 1797, 2396, 2995, 3594, 4193, 4792, 5391, 5990};
    for (int i = 0; i < kCellCount; ++i) {
        const TwipBox& c = b.cells[static_cast<std::size_t>(i)];
        QCOMPARE(c.width, 599.0f);
        QCOMPARE(c.height, 558.0f);
        QCOMPARE(c.top, rowTops[i / 11]);
        QCOMPARE(c.left, colLefts[i % 11]);
    }
    // ん top-left, あ top-right, 九 bottom row, column 9.
    QCOMPARE(b.cells[0], (TwipBox{0, 1674, 599, 558}));
    QCOMPARE(b.cells[10], (TwipBox{5990, 1674, 599, 558}));
    QCOMPARE(b.cells[64], (TwipBox{5391, 4464, 599, 558}));
    QCOMPARE(b.cells[55].left, 0.0f);
    QCOMPARE(b.cells[55].top, 2232.0f + 4 * 558);
}

void TestLayout::rowHeightNeedsDoublePrecision()
{
    // 5580 * 0.6 is exactly 3348 once rounded to double; in extended precision
    // it falls just short and the row height would come out as 557.
    QCOMPARE(boardPlaces(6945, 5580).cells[0].height, 558.0f);
    const long double wide = 5580.0L * static_cast<long double>(0.6) / 6.0L;
    QVERIFY(static_cast<int>(wide) == 557 || sizeof(long double) == sizeof(double));
}

void TestLayout::emptyWindow()
{
    const BoardPlaces b = boardPlaces(0, 0);
    for (const TwipBox& c : b.cells)
        QCOMPARE(c, (TwipBox{0, 0, 0, 0}));
    QCOMPARE(b.yes, (TwipBox{0, 0, 0, 0}));
    QCOMPARE(b.no, (TwipBox{0, 0, 0, 0}));
    QCOMPARE(txtMsgPlace(0).width, 0.0f);
    const ImgMarkPlace mark = imgMarkPlace(0, 0, 1050, 810);
    QCOMPARE(mark.left, -525.0f);
    QCOMPARE(mark.top, -405.0f);
}

void TestLayout::oddPictureWidth()
{
    QCOMPARE(imgMarkPlace(6945, 5580, 1051, 810).left, 6945 * 0.5f - 525);
    QCOMPARE(imgMarkPlace(6945, 5580, 1050, 811).top, 711.0f);
}

void TestLayout::resizeOneDirection_data()
{
    QTest::addColumn<double>("w1");
    QTest::addColumn<double>("h1");
    QTest::addColumn<double>("w2");
    QTest::addColumn<double>("h2");
    QTest::newRow("height only") << 6945.0 << 5580.0 << 6945.0 << 9000.0;
    QTest::newRow("width only") << 6945.0 << 5580.0 << 12000.0 << 5580.0;
}

void TestLayout::resizeOneDirection()
{
    QFETCH(double, w1);
    QFETCH(double, h1);
    QFETCH(double, w2);
    QFETCH(double, h2);
    const BoardPlaces a = boardPlaces(w1, h1);
    const BoardPlaces b = boardPlaces(w2, h2);
    const auto check = [&](const TwipBox& x, const TwipBox& y) {
        if (w1 == w2) {
            QCOMPARE(x.left, y.left);
            QCOMPARE(x.width, y.width);
        }
        if (h1 == h2) {
            QCOMPARE(x.top, y.top);
            QCOMPARE(x.height, y.height);
        }
    };
    check(a.yes, b.yes);
    check(a.no, b.no);
    for (int i = 0; i < kCellCount; ++i)
        check(a.cells[static_cast<std::size_t>(i)], b.cells[static_cast<std::size_t>(i)]);
    if (w1 == w2)
        QCOMPARE(imgMarkPlace(w1, h1, 1050, 810).left, imgMarkPlace(w2, h2, 1050, 810).left);
    else
        QCOMPARE(imgMarkPlace(w1, h1, 1050, 810).top, imgMarkPlace(w2, h2, 1050, 810).top);
}

void TestLayout::cellsTileWithoutGaps()
{
    // Mapped to pixels, neighbouring cells share their edges at any size.
    for (double w : {6945.0, 7000.0, 4321.0}) {
        const BoardPlaces b = boardPlaces(w, 5580);
        for (int i = 0; i + 1 < kCellCount; ++i) {
            if (i % 11 == 10)
                continue;
            const PixelBox l = toPixels(b.cells[static_cast<std::size_t>(i)], 15, 15);
            const PixelBox r = toPixels(b.cells[static_cast<std::size_t>(i + 1)], 15, 15);
            QCOMPARE(l.x + l.width, r.x);
        }
    }
}

void TestLayout::rounding()
{
    QCOMPARE(floorInt(-0.5), -1);
    QCOMPARE(floorInt(599.795), 599);
    QCOMPARE(floorInt(1e300), std::numeric_limits<std::int32_t>::max());
    QCOMPARE(roundEven(2.5), 2);
    QCOMPARE(roundEven(3.5), 4);
    QCOMPARE(roundEven(52.5), 52);
    QCOMPARE(roundEven(-2.5), -2);
    QCOMPARE(roundEven(-36.4), -36);
    QCOMPARE(roundEven(10.5), 10);
    QCOMPARE(roundEven(15.75), 16);
}

QTEST_APPLESS_MAIN(TestLayout)
#include "test_layout.moc"
