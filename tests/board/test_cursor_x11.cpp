// The possession cursor as an X server shows it: sharp at the screen's scale,
// with the hotspot on the coin. Qt's X11 backend passes the hotspot through in
// device pixels; this test notices if a Qt release changes that.
#include "pictures/pictures.h"

#include "testmain.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <memory>

using namespace honura::pictures;

class TestCursorX11 : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void serverShowsTheCursorSharp();
};

void TestCursorX11::serverShowsTheCursorSharp()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    QVERIFY(x11);
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));

    QWidget window;
    window.resize(120, 120);
    const qreal ratio = window.devicePixelRatioF();
    window.setCursor(possessionCursor(ratio));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCursor::setPos(window.mapToGlobal(QPoint(60, 60)));

    // One connection keeps its requests in order: the reply describes the
    // cursor of the window under the pointer just moved there.
    const std::unique_ptr<xcb_xfixes_get_cursor_image_reply_t, decltype(&std::free)> reply(
        xcb_xfixes_get_cursor_image_reply(connection, xcb_xfixes_get_cursor_image(connection),
                                          nullptr),
        &std::free);
    QVERIFY(reply);
    const int factor = pixelFactor(ratio);
    QCOMPARE(int(reply->width), 32 * factor);
    QCOMPARE(int(reply->height), 32 * factor);
    QCOMPARE(QPoint(reply->xhot, reply->yhot), kPossessionHotspot * factor);

    const quint32* shown = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
    const QImage expected = enlarged(possessionCursorImage(), factor);
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb want = expected.pixel(x, y);
            const quint32 got = shown[y * expected.width() + x];
            QCOMPARE(got, qAlpha(want) == 0 ? 0u : quint32(want));
        }
    }
    QCOMPARE(shown[reply->yhot * reply->width + reply->xhot], 0xff800000u);
}

HONURA_TEST_MAIN(TestCursorX11)
#include "test_cursor_x11.moc"
