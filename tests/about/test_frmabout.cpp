// The About window on the offscreen platform: its texts, look, keys and
// placement, and how the board's About command shows it.
#include "about/aboutdef.h"
#include "about/frmabout.h"
#include "board/frmmain.h"
#include "controls/clicklabel.h"
#include "platform/desktop.h"
#include "testmain.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace honura;

namespace {

const QString kDescription = QStringLiteral(
    "鳥居をダブルクリックするとカーソルが変わり、憑依モードになります。マウスを移動し、一文字ずつク"
    "リックしていくと、上の窓に文字が記録されます。鳥居に戻ってクリックすると記録画面に記録されま"
    "す。再びダブルクリックすると通常モードになります。ウィンドウの位置、サイズ、フォントはiniファ"
    "イルに記録されます。");

struct Seen {
    QString caption, title, version, description, label1, label2, ok, sysInfo;
    bool operator==(const Seen&) const = default;
};

Seen texts(const frmAbout& w)
{
    return {w.windowTitle(),        w.lblTitle()->text(),
            w.lblVersion()->text(), w.lblDescription()->text(),
            w.Label1()->text(),     w.Label2()->text(),
            w.cmdOK()->text(),      w.cmdSysInfo()->text()};
}

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void init() { test::resetPlatform(); }
    void captions();
    void controlsInPlace();
    void look();
    void etchedRule();
    void tabOrderAndNames();
    void escapeActsAsOkEverywhere();
    void enterActsAsOkUnlessOnSysInfo();
    void altSPressesSysInfo();
    void linkOpensItsAddress();
    void placement();
    void menuLoadsAfreshEachTime();
};

void TestFrmAbout::initTestCase()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

void TestFrmAbout::captions()
{
    frmAbout w;
    QCOMPARE(texts(w),
             (Seen{QStringLiteral("ホヌラのﾊﾞｰｼﾞｮﾝ情報"), QStringLiteral("ホヌラ"),
                   QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"), kDescription,
                   QStringLiteral("作者ホームページ：Brantle"), aboutdef::kHomePage.toString(),
                   QStringLiteral("OK"), QStringLiteral("ｼｽﾃﾑ情報(&S)...")}));
    QCOMPARE(versionText({12, 3, 40}), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 12.3.40"));
    QCOMPARE(versionText(appVersion()), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
}

void TestFrmAbout::controlsInPlace()
{
    frmAbout w;
    // 15 twips per pixel: the client area and every control on whole pixels.
    QCOMPARE(w.size(), QSize(382, 237));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(w.picIcon()->geometry(), QRect(16, 16, 36, 36));
    QCOMPARE(w.lblTitle()->geometry(), QRect(70, 16, 259, 16));
    QCOMPARE(w.lblVersion()->geometry(), QRect(70, 32, 259, 15));
    QCOMPARE(w.lblDescription()->geometry(), QRect(70, 56, 283, 86));
    QCOMPARE(w.cmdOK()->geometry(), QRect(283, 175, 92, 23));
    QCOMPARE(w.Label1()->geometry(), QRect(16, 192, 257, 17));
    QCOMPARE(w.cmdSysInfo()->geometry(), QRect(284, 205, 92, 23));
    QCOMPARE(w.Label2()->geometry(), QRect(32, 216, 185, 25));
}

void TestFrmAbout::look()
{
    frmAbout w;
    const QFont link = w.Label2()->font();
    QCOMPARE(link.family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(link.pointSizeF(), 9.0);
    QVERIFY(link.underline());
    QVERIFY(!link.bold());
    QCOMPARE(w.Label2()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(w.lblTitle()->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(w.lblDescription()->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QVERIFY(w.lblDescription()->wordWrap());
    QVERIFY(!w.lblTitle()->font().underline());
    QVERIFY(!w.picIcon()->pixmap().isNull());
    QCOMPARE(w.picIcon()->pixmap().size(), QSize(32, 32));

    // The texts fit their labels in the window's font: nothing is cut off.
    QVERIFY(w.Label2()->sizeHint().width() <= w.Label2()->width());
    QVERIFY(w.Label1()->sizeHint().width() <= w.Label1()->width());
    QVERIFY2(w.lblDescription()->heightForWidth(w.lblDescription()->width()) <=
                 w.lblDescription()->height(),
             qPrintable(QString::number(w.lblDescription()->heightForWidth(283))));
}

void TestFrmAbout::etchedRule()
{
    frmAbout w;
    const QImage img = w.grab().toImage();
    const QColor grey(128, 128, 128), white(255, 255, 255);
    for (int x : {6, 100, 376})
        QCOMPARE(img.pixelColor(x, 163), grey);
    for (int x : {7, 100, 376}) {
        QCOMPARE(img.pixelColor(x, 164), white);
        QCOMPARE(img.pixelColor(x, 165), white);
    }
    QVERIFY(img.pixelColor(5, 163) != grey);   // starts at 90 twips
    QVERIFY(img.pixelColor(377, 163) != grey); // ends at 5654 twips
    QVERIFY(img.pixelColor(6, 164) != white);  // starts at 105 twips
    QVERIFY(img.pixelColor(100, 166) != white);
}

void TestFrmAbout::tabOrderAndNames()
{
    frmAbout w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.focusWidget(), w.cmdOK());
    QTest::keyClick(&w, Qt::Key_Tab);
    QCOMPARE(w.focusWidget(), w.cmdSysInfo());
    QTest::keyClick(&w, Qt::Key_Tab);
    QCOMPARE(w.focusWidget(), w.cmdOK());
    QVERIFY(w.cmdOK()->isDefault());
    for (QWidget* c : w.findChildren<QWidget*>())
        QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
    QCOMPARE(w.picIcon()->accessibleName(), QStringLiteral("ホヌラのアイコン"));
    QCOMPARE(w.lblVersion()->accessibleName(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
}

void TestFrmAbout::escapeActsAsOkEverywhere()
{
    for (int target = 0; target < 2; ++target) {
        frmAbout w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QPushButton* focus = target ? w.cmdSysInfo() : w.cmdOK();
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted)); // closed as by OK
        QVERIFY(test::fake().messages.isEmpty());
    }
}

void TestFrmAbout::enterActsAsOkUnlessOnSysInfo()
{
    {
        frmAbout w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(w.focusWidget(), Qt::Key_Return);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }
    {
        frmAbout w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.cmdSysInfo()->setFocus();
        QTest::keyClick(w.cmdSysInfo(), Qt::Key_Enter);
        QVERIFY(w.isVisible()); // the launcher ran instead; the window stays
        QCOMPARE(test::fake().messages.size(), 1);
        QCOMPARE(test::fake().messages[0].text,
                 QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
    }
}

void TestFrmAbout::altSPressesSysInfo()
{
    frmAbout w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.focusWidget(), w.cmdOK());
    QSignalSpy clicked(w.cmdSysInfo(), &QPushButton::clicked);
    QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
    QVERIFY(w.cmdSysInfo()->isDown()); // pressed at once, released shortly after
    QVERIFY(clicked.wait());
    QCOMPARE(test::fake().messages.size(), 1);
    QVERIFY(w.isVisible());
}

void TestFrmAbout::linkOpensItsAddress()
{
    frmAbout w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.Label2(), Qt::LeftButton);
    QTest::mouseClick(w.Label2(), Qt::LeftButton);
    // Each click opens a further window on the address the label shows.
    QCOMPARE(test::fake().openedUrls, (QList<QString>{w.Label2()->text(), w.Label2()->text()}));
    QVERIFY(w.isVisible());
    QVERIFY(browsableUrl(w.Label2()->text()));
}

void TestFrmAbout::placement()
{
    frmAbout w;
    QCOMPARE(w.clientTarget(), QPoint(156, 129)); // 2340 and 1935 twips
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.geometry().topLeft(), QPoint(156, 129));
}

void TestFrmAbout::menuLoadsAfreshEachTime()
{
    FrmMain board;
    QList<Seen> seen;
    QList<QPointer<frmAbout>> shown;
    const auto inspectAndClose = [&] {
        auto* w = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        QVERIFY(w);
        QVERIFY(w->parentWidget() == nullptr); // no owner
        QCOMPARE(w->windowModality(), Qt::ApplicationModal);
        seen.append(texts(*w));
        shown.append(w);
        // A change made while shown does not survive the window.
        w->lblVersion()->setText(QStringLiteral("changed"));
        w->cmdOK()->click();
    };
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, &board, inspectAndClose);
        board.menuCommand(3)->trigger();
    }
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1], seen[0]);
    QCOMPARE(seen[0].version, QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
    QVERIFY(shown[0].isNull() && shown[1].isNull()); // discarded when closed
}

HONURA_TEST_MAIN(TestFrmAbout)
#include "test_frmabout.moc"
