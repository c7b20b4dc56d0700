// The confinement rectangle, and how the board asks for it.
#include "board/cursorrect.h"
#include "board/frmmain.h"
#include "testmain.h"

#include <QWidget>

using namespace honura;
using cursorrect::WindowTwips;

Q_DECLARE_METATYPE(WindowTwips)
Q_DECLARE_METATYPE(PixelRect)

class TestCursorRect : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void rectangle_data();
    void rectangle();
    void frameRoundsHalfToEven();
    void confineReleasesFirst();
    void confinesToTheClientArea();
};

// The window of the worked example: outer (1200, 900) 6945 x 5580 twips, client
// 6825 x 4830, a 4-pixel frame and 42 pixels of title and menu bar.
static WindowTwips example() { return {1200, 900, 6945, 5580, 6825, 4830}; }

void TestCursorRect::rectangle_data()
{
    QTest::addColumn<WindowTwips>("w");
    QTest::addColumn<double>("tpp");
    QTest::addColumn<PixelRect>("expected");

    QTest::newRow("worked example") << example() << 15.0 << PixelRect{84, 106, 539, 428};

    WindowTwips offLeft = example();
    offLeft.left = -600;
    QTest::newRow("beyond the left edge") << offLeft << 15.0 << PixelRect{-36, 106, 419, 428};

    WindowTwips offTop = example();
    offTop.top = -1500;
    QTest::newRow("beyond the top edge") << offTop << 15.0 << PixelRect{84, -54, 539, 268};

    // (X + F) / 15 = 52.5 and 53.5: halves go to the even neighbour.
    WindowTwips half = example();
    half.left = 787.5f - 60;
    QTest::newRow("half to even down") << half << 15.0 << PixelRect{52, 106, 507, 428};
    half.left = 802.5f - 60;
    QTest::newRow("half to even up") << half << 15.0 << PixelRect{54, 106, 509, 428};

    // The real frames, where the window system knows them: equal sides and
    // bottom give the worked example exactly.
    WindowTwips known = example();
    known.leftFrame = 60;
    known.bottomFrame = 60;
    QTest::newRow("real frames, all 4 px") << known << 15.0 << PixelRect{84, 106, 539, 428};

    // Openbox's frame: 1 px at the sides, a 5 px bottom border, 20 px of
    // title: outer 463 x 372 px at (0, 0) around a 461 x 346 px client (328 px
    // below an 18 px menu bar). F alone would put the top 4 px low.
    const WindowTwips openbox{0, 0, 463 * 15, 372 * 15, 461 * 15, 328 * 15, 15, 75};
    QTest::newRow("uneven frame") << openbox << 15.0 << PixelRect{1, 39, 462, 367};
    WindowTwips openboxOff = openbox;
    openboxOff.left = -200 * 15;
    openboxOff.top = -50 * 15;
    QTest::newRow("uneven frame, off the top-left")
        << openboxOff << 15.0 << PixelRect{-199, -11, 262, 317};

    // 120 dots per inch: 12 twips per pixel. The top 1590 / 12 = 132.5 and the
    // bottom 4830 / 12 + 132 = 534.5 round down to even, the right edge
    // 6825 / 12 + 105 = 673.75 rounds up.
    QTest::newRow("12 twips per pixel") << example() << 12.0 << PixelRect{105, 132, 674, 534};
}

void TestCursorRect::rectangle()
{
    QFETCH(WindowTwips, w);
    QFETCH(double, tpp);
    QFETCH(PixelRect, expected);
    const PixelRect r = cursorrect::clientRect(w, tpp, tpp);
    QCOMPARE(r.left, expected.left);
    QCOMPARE(r.top, expected.top);
    QCOMPARE(r.right, expected.right);
    QCOMPARE(r.bottom, expected.bottom);
}

void TestCursorRect::frameRoundsHalfToEven()
{
    QCOMPARE(cursorrect::frameTwips(example()), 60);
    WindowTwips w = example();
    w.outerWidth = w.clientWidth + 105; // 52.5
    QCOMPARE(cursorrect::frameTwips(w), 52);
    w.outerWidth = w.clientWidth + 107; // 53.5
    QCOMPARE(cursorrect::frameTwips(w), 54);
    // F enters the top edge too: (900 + 5580 - 4830 - 52) / 15 = 106.53.
    w = example();
    w.outerWidth = w.clientWidth + 105;
    const PixelRect r = cursorrect::clientRect(w, 15, 15);
    QCOMPARE(r.left, 83); // 1252 / 15 = 83.47
    QCOMPARE(r.top, 107); // 1598 / 15 = 106.53
}

// Confining while confined releases first; releasing when free just releases.
void TestCursorRect::confineReleasesFirst()
{
    HeadlessPlatform& os = test::resetPlatform();
    FrmMain board;
    board.CursorFree();
    QCOMPARE(os.clipCalls.size(), 1);
    QVERIFY(!os.clipCalls[0]);
    QVERIFY(!os.clipped);

    board.CursorClip();
    board.CursorClip();
    QCOMPARE(os.clipCalls.size(), 5);
    QVERIFY(!os.clipCalls[1]);
    QVERIFY(os.clipCalls[2]);
    QVERIFY(!os.clipCalls[3]);
    QVERIFY(os.clipCalls[4]);
    QCOMPARE(*os.clipCalls[4], *os.clipCalls[2]);
    QVERIFY(os.clipped);

    board.CursorFree();
    QVERIFY(!os.clipped);
}

// Where the frame is symmetric (here: none at all), the rectangle is exactly the
// client area below the menu bar, in screen pixels.
void TestCursorRect::confinesToTheClientArea()
{
    HeadlessPlatform& os = test::resetPlatform();
    FrmMain board;
    board.move(37, 52);
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.CursorClip();
    const QRect client(board.clientArea()->mapToGlobal(QPoint(0, 0)), board.clientArea()->size());
    QVERIFY(os.clipped);
    QCOMPARE(*os.clipped, (PixelRect{client.left(), client.top(), client.left() + client.width(),
                                     client.top() + client.height()}));
    QVERIFY(client.top() > board.frameGeometry().top()); // the menu bar is left out
}

HONURA_TEST_MAIN(TestCursorRect)
#include "test_cursorrect.moc"
