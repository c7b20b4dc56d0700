// Holding the pointer on a screen that changed: the part of the rectangle left
// on the screen, the nearest point the pointer is brought back to, and the
// rectangle carried along with its window.
#include "platform/x11/x11confinerect.h"

#include "testmain.h"

using namespace honura;
using namespace honura::confine;

Q_DECLARE_METATYPE(PixelRect)
Q_DECLARE_METATYPE(std::optional<PixelRect>)

class TestConfineRect : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void visiblePart_data();
    void visiblePart();
    void nearestPointInside();
};

void TestConfineRect::visiblePart_data()
{
    QTest::addColumn<PixelRect>("rect");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<std::optional<PixelRect>>("expected");
    const QSize screen(1024, 768);
    const PixelRect board{804, 642, 1267, 1000}; // a board at (800, 600)
    QTest::newRow("on the screen")
        << PixelRect{84, 106, 539, 428} << screen << std::optional(PixelRect{84, 106, 539, 428});
    QTest::newRow("partly beyond the bottom right")
        << board << screen << std::optional(PixelRect{804, 642, 1024, 768});
    QTest::newRow("the screen shrunk under it")
        << board << QSize(700, 500) << std::optional<PixelRect>();
    QTest::newRow("partly beyond the top left")
        << PixelRect{-36, -20, 419, 302} << screen << std::optional(PixelRect{0, 0, 419, 302});
    QTest::newRow("its left edge on the screen's right edge")
        << PixelRect{1024, 100, 1200, 300} << screen << std::optional<PixelRect>();
    QTest::newRow("its last column on the screen's last")
        << PixelRect{1023, 100, 1200, 300} << screen
        << std::optional(PixelRect{1023, 100, 1024, 300});
    QTest::newRow("wholly above") << PixelRect{10, -300, 400, 0} << screen
                                  << std::optional<PixelRect>();
}

void TestConfineRect::visiblePart()
{
    QFETCH(PixelRect, rect);
    QFETCH(QSize, screen);
    QFETCH(std::optional<PixelRect>, expected);
    QCOMPARE(confine::visiblePart(rect, screen.width(), screen.height()), expected);
}

// Right and bottom are exclusive: the pointer stops on the last column and row.
void TestConfineRect::nearestPointInside()
{
    const PixelRect r{84, 106, 539, 428};
    QCOMPARE(nearestInside({300, 200}, r), QPoint(300, 200));
    QCOMPARE(nearestInside({0, 0}, r), QPoint(84, 106));
    QCOMPARE(nearestInside({539, 428}, r), QPoint(538, 427));
    QCOMPARE(nearestInside({1000, 200}, r), QPoint(538, 200));
    QCOMPARE(shifted(r, {-100, 50}), (PixelRect{-16, 156, 439, 478}));
}

HONURA_TEST_MAIN(TestConfineRect)
#include "test_confinerect.moc"
