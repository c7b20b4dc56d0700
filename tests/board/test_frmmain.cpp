// The board window as built: its controls, captions, stacking, focus, layout
// on screen and the start-up guard.
#include "board/boardfont.h"
#include "board/frmmain.h"
#include "board/menustrip.h"
#include "controls/clicklabel.h"
#include "testmain.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

using namespace honura;

class TestFrmMain : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { test::resetPlatform(); }
    void captionsAndTable();
    void menuBar();
    void windowProperties();
    void stacking();
    void startUpLaysOutForOuterSize();
    void layoutOrderDoesNotMatter();
    void toriiKeepsItsSize();
    void fontReachesOnlyTheLabels();
    void secondInstanceIsRefused();
};

void TestFrmMain::captionsAndTable()
{
    FrmMain f;
    const QString rows[] = {u"んわらやまはなたさかあ"_qs, u"_ゐり_みひにちしきい"_qs,
                            u"_うるゆむふぬつすくう"_qs,  u"_ゑれ_めへねてせけえ"_qs,
                            u"_をろよもほのとそこお"_qs,  u"_一二三四五六七八九"_qs};
    QCOMPARE(FrmMain::LblCharUBound(), 64);
    for (int i = 0; i <= 64; ++i) {
        const QChar ch = rows[i / 11].at(i % 11);
        const QString want = ch == u'_' ? QString() : QString(ch);
        QCOMPARE(f.LblChar(i)->text(), want);
        QCOMPARE(f.LblChar(i)->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    }
    QCOMPARE(f.lblYes()->text(), u"はい"_qs);
    QCOMPARE(f.lblNo()->text(), u"いいえ"_qs);
    QCOMPARE(f.lblYes()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(f.ImgMark()->accessibleName(), u"鳥居"_qs);
    // Labels are opaque white.
    QVERIFY(f.LblChar(11)->autoFillBackground());
    QCOMPARE(f.LblChar(11)->palette().color(QPalette::Window), QColor(255, 255, 255));
}

void TestFrmMain::menuBar()
{
    FrmMain f;
    const QList<QAction*> actions = f.menuStrip()->actions();
    QStringList captions;
    for (QAction* a : actions) {
        captions << a->text();
        QVERIFY2(!a->menu(), "menu commands open no drop-down");
        QVERIFY(a->isEnabled() && a->isVisible());
        QVERIFY(a->shortcut().isEmpty());
    }
    QCOMPARE(captions, (QStringList{u"終了"_qs, u"字体"_qs, u"記録"_qs, u"ホヌラについて"_qs}));
    // The program's own strip: never a desktop's global menu.
    QCOMPARE(f.menuWidget(), static_cast<QWidget*>(f.menuStrip()));
}

void TestFrmMain::windowProperties()
{
    FrmMain f;
    QVERIFY(f.startUp());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.windowTitle(), u"ホヌラ"_qs);
    QCOMPARE(f.clientArea()->palette().color(QPalette::Window), QColor(255, 255, 255));
    QVERIFY(!f.windowIcon().isNull());
    // The message box holds the focus and is the only tab stop.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.TxtMsg()));
    for (QLabel* l : f.clientArea()->findChildren<QLabel*>())
        QCOMPARE(l->focusPolicy(), Qt::NoFocus);
    QTest::keyClicks(f.TxtMsg(), u"abc"_qs);
    QCOMPARE(f.TxtMsg()->text(), u"abc"_qs);
    QCOMPARE(f.TxtMsg()->height(), 25); // 375 twips
    QVERIFY(!f.ImgHide()->isVisible());
    f.resize(900, 700);
    QVERIFY(!f.ImgHide()->isVisible());
}

void TestFrmMain::stacking()
{
    FrmMain f;
    // Children are painted in creation order: back to front.
    const QObjectList kids = f.clientArea()->children();
    QList<QWidget*> order;
    for (QObject* o : kids)
        if (auto* w = qobject_cast<QWidget*>(o))
            order << w;
    QCOMPARE(order.size(), 2 + 65 + 2 + 1);
    QCOMPARE(order.at(0), static_cast<QWidget*>(f.ImgHide()));
    QCOMPARE(order.at(1), static_cast<QWidget*>(f.ImgMark()));
    for (int i = 0; i < 65; ++i)
        QCOMPARE(order.at(2 + i), static_cast<QWidget*>(f.LblChar(64 - i)));
    QCOMPARE(order.at(67), static_cast<QWidget*>(f.lblYes()));
    QCOMPARE(order.at(68), static_cast<QWidget*>(f.lblNo()));
    QCOMPARE(order.at(69), static_cast<QWidget*>(f.TxtMsg()));
}

void TestFrmMain::startUpLaysOutForOuterSize()
{
    FrmMain f;
    QVERIFY(f.startUp());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    // Without a frame the outer size is the window's: the default 6945 x 5580 twips.
    QCOMPARE(f.frameGeometry().size(), QSize(463, 372));
    QCOMPARE(f.outerTwips(), QRectF(0, 0, 6945, 5580));
    // Cells in pixels: edges rounded from the twip layout.
    QCOMPARE(f.LblChar(0)->geometry(), QRect(0, 112, 40, 37));    // 0, 1674 / 599 x 558
    QCOMPARE(f.LblChar(10)->geometry(), QRect(399, 112, 40, 37)); // 5990 / 15 = 399.3
    QCOMPARE(f.LblChar(64)->geometry().topLeft(), QPoint(359, 298));
    QCOMPARE(f.lblYes()->geometry(), QRect(76, 74, 80, 38));
    QCOMPARE(f.lblNo()->geometry(), QRect(307, 74, 80, 38));
    QCOMPARE(f.TxtMsg()->geometry(), QRect(23, 0, 417, 25));
    QCOMPARE(f.ImgMark()->pos(), QPoint(197, 47)); // 2947.5 / 15 = 196.5, 711 / 15 = 47.4

    // A relayout follows every size change.
    f.resize(QSize(700, 500) - (f.frameGeometry().size() - f.size()));
    QTRY_COMPARE(f.frameGeometry().size(), QSize(700, 500));
    const layout::BoardPlaces p = layout::boardPlaces(700 * 15, 500 * 15);
    QCOMPARE(f.LblChar(32)->geometry().x(), twips::toPixels(p.cells[32], 15, 15).x);
    QCOMPARE(f.LblChar(32)->geometry().y(), twips::toPixels(p.cells[32], 15, 15).y);
    QCOMPARE(f.TxtMsg()->width(), 700 - 2 * 35); // m = 525 twips
}

void TestFrmMain::layoutOrderDoesNotMatter()
{
    FrmMain a;
    FrmMain b;
    a.resize(640, 480);
    b.resize(640, 480);
    a.BoardSet();
    a.ImgMarkSet();
    a.TxtMsgSet();
    b.BoardSet();
    b.TxtMsgSet();
    b.ImgMarkSet();
    for (int i = 0; i <= 64; ++i)
        QCOMPARE(a.LblChar(i)->geometry(), b.LblChar(i)->geometry());
    QCOMPARE(a.ImgMark()->geometry(), b.ImgMark()->geometry());
    QCOMPARE(a.TxtMsg()->geometry(), b.TxtMsg()->geometry());
}

void TestFrmMain::toriiKeepsItsSize()
{
    FrmMain f;
    QVERIFY(f.startUp());
    for (QSize s : {QSize(100, 80), QSize(463, 372), QSize(1200, 900)}) {
        f.resize(s);
        QCOMPARE(f.ImgMark()->size(), QSize(70, 54));
        QCOMPARE(f.ImgMark()->pixmap().deviceIndependentSize(), QSizeF(70, 54));
        QVERIFY(!f.ImgMark()->hasScaledContents());
    }
}

void TestFrmMain::fontReachesOnlyTheLabels()
{
    FrmMain f;
    QVERIFY(f.startUp());
    const QFont msgFont = f.TxtMsg()->font();
    QFont board(u"Serif"_qs);
    board.setPointSizeF(10.5);
    board.setBold(false);
    board.setItalic(true);
    f.setBoardFont(board);
    const QRect before = f.LblChar(5)->geometry();
    f.FontSet();
    QList<QLabel*> labels{f.lblYes(), f.lblNo()};
    for (int i = 0; i <= 64; ++i)
        labels << f.LblChar(i);
    for (QLabel* l : labels) {
        // The face drawn for the name: "Serif" is fontconfig's alias of an installed face.
        QCOMPARE(l->font().family(), drawnFamily(u"Serif"_qs));
        QCOMPARE(l->font().pointSizeF(), 10.5);
        QVERIFY(!l->font().bold());
        QVERIFY(l->font().italic());
    }
    QCOMPARE(f.TxtMsg()->font(), msgFont);
    QCOMPARE(f.LblChar(5)->geometry(), before);
}

void TestFrmMain::secondInstanceIsRefused()
{
    test::fake().otherInstance = true;
    FrmMain f;
    QVERIFY(!f.startUp());
    QCOMPARE(test::fake().messages.size(), 1);
    const auto& m = test::fake().messages.first();
    QCOMPARE(m.text, u"同時に複数のホヌラを呼び出すことはできません。"_qs);
    QCOMPARE(m.style, 16);
    QVERIFY(m.caption.isEmpty()); // the application title
    QVERIFY(!f.isVisible());
}

HONURA_TEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
