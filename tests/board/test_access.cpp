// The board for the keyboard and assistive technology: reading order and
// actions, the pieces of text a screen reader reads, the menu strip that wraps
// rather than hides, Qt's own texts.
#include "board/boardaccess.h"
#include "board/frmmain.h"
#include "board/menustrip.h"
#include "board/qttranslation.h"
#include "controls/clicklabel.h"
#include "controls/textboundary.h"
#include "testmain.h"

#include <QAccessibleActionInterface>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>

#include <functional>
#include <memory>

using namespace honura;

class TestAccess : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { test::resetPlatform(); }
    void readingOrderAndActions();
    void textPieces();
    void menuStripWrapsAndTakesKeys();
    void menuStripDrawsAsMenuBar();
    void qtTranslationOrEnglish();
};

void TestAccess::readingOrderAndActions()
{
    const QList<int> order = cellReadingOrder();
    QCOMPARE(order.size(), 58);                                     // 65 cells less 7 blanks
    QCOMPARE(order.mid(0, 6), (QList<int>{10, 21, 32, 43, 54, 9})); // あ い う え お か
    QCOMPARE(order.mid(49), (QList<int>{56, 57, 58, 59, 60, 61, 62, 63, 64})); // 一 … 九

    FrmMain f;
    QAccessibleInterface* area = QAccessible::queryAccessibleInterface(f.clientArea());
    QCOMPARE(area->childCount(), 4 + 58);
    QCOMPARE(area->child(0)->object(), static_cast<QObject*>(f.TxtMsg()));
    QCOMPARE(area->child(2)->object(), static_cast<QObject*>(f.ImgMark()));
    QCOMPARE(area->child(4)->text(QAccessible::Name), u"あ"_qs);
    QCOMPARE(area->indexOfChild(area->child(9)), 9);
    QVERIFY(area->child(1)->actionInterface()->actionNames().isEmpty()); // はい does nothing

    area->child(4)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(f.TxtMsg()->text(), u"あ"_qs);
    QAccessibleActionInterface* torii = area->child(2)->actionInterface();
    QCOMPARE(torii->actionNames(), (QStringList{QAccessibleActionInterface::pressAction(),
                                                QAccessibleActionInterface::toggleAction()}));
    torii->doAction(QAccessibleActionInterface::toggleAction()); // commit, then the mode
    QVERIFY(f.Possessed());
    QVERIFY(f.TxtMsg()->text().isEmpty());
}

// Every piece holds its offset, and the pieces of each kind, walked from the
// start, make up the text exactly: in Japanese, mixed and empty text, with
// surrogate pairs and combining marks, at and past the end. A line longer than
// a piece is read in pieces that never part a surrogate pair.
void TestAccess::textPieces()
{
    using namespace textboundary;
    const QStringList texts = {u""_qs,
                               u"あ"_qs,
                               u"たこ"_qs,
                               u"ab あい 12。cd。"_qs,
                               u"a\nたこ\n\n"_qs,
                               u"𠮷野家か\u3099"_qs};
    for (const QString& t : texts) {
        for (Unit unit : {Unit::Character, Unit::Word, Unit::Sentence, Unit::Line}) {
            QString walked;
            for (Range r = at(t, 0, unit); r.start < r.end; r = after(t, r.start, unit)) {
                QCOMPARE(r.start, walked.size());
                walked += t.sliced(r.start, r.end - r.start);
                QCOMPARE(before(t, r.end, unit).end <= r.end, true);
            }
            QCOMPARE(walked, t);
            for (qsizetype i = -1; i <= t.size() + 1; ++i) {
                const Range r = at(t, i, unit);
                const qsizetype o = std::clamp<qsizetype>(i, 0, t.size());
                QVERIFY(0 <= r.start && r.start <= r.end && r.end <= t.size());
                if (o < t.size())
                    QVERIFY(r.start <= o && o < r.end);
                else if (unit == Unit::Character)
                    QCOMPARE(r, (Range{t.size(), t.size()}));
                else
                    QCOMPARE(r.end, t.size()); // the last word, sentence or line
            }
        }
    }
    QCOMPARE(at(u"𠮷野", 1, Unit::Character), (Range{0, 2}));
    QCOMPARE(at(u"か\u3099", 0, Unit::Character), (Range{0, 2}));
    QCOMPARE(at(u"a\nたこ\n", 3, Unit::Line), (Range{2, 5}));
    QCOMPARE(at(u"ab。cd", 4, Unit::Sentence), (Range{3, 5}));
    QCOMPARE(before(u"たこ", 0, Unit::Word), (Range{0, 0}));
    QCOMPARE(after(u"たこ", 2, Unit::Character), (Range{2, 2}));

    const QString longLine = QString(kPiece - 1, u'x') + u"𠮷"_qs + QString(kPiece - 2, u'y');
    QCOMPARE(at(longLine, 0, Unit::Line), (Range{0, kPiece + 1}));
    QCOMPARE(at(longLine, kPiece, Unit::Line), (Range{0, kPiece + 1}));
    QCOMPARE(at(longLine, kPiece + 1, Unit::Word).start, kPiece + 1);
    QCOMPARE(at(longLine, longLine.size(), Unit::Line), (Range{kPiece + 1, longLine.size()}));
}

void TestAccess::menuStripWrapsAndTakesKeys()
{
    QWidget window;
    auto* strip = new MenuStrip(&window);
    QList<QAction*> commands;
    for (const char* caption : {"終了", "字体", "記録", "ホヌラについて"})
        commands << strip->addCommand(QString::fromUtf8(caption));
    QSignalSpy font(commands[1], &QAction::triggered);
    QSignalSpy about(commands[3], &QAction::triggered);
    const int oneRow = strip->sizeHint().height();
    strip->setGeometry(0, 0, 120, strip->heightForWidth(120));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(strip->height() > oneRow);
    for (int i = 0; i < 4; ++i)
        QVERIFY(strip->rect().contains(strip->commandRect(i)));
    QVERIFY(strip->commandRect(3).top() > strip->commandRect(0).top());
    // The commands are measured again in a larger font.
    const int narrow = strip->commandRect(0).width();
    QFont larger = strip->font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    strip->setFont(larger);
    QVERIFY(strip->commandRect(0).width() > narrow);
    strip->setFont(QFont());

    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->commandRect(3).center());
    QCOMPARE(about.size(), 1);
    // Alt tapped while the command is held down leaves the click alone.
    QTest::mousePress(strip, Qt::LeftButton, {}, strip->commandRect(3).center());
    QTest::keyClick(strip, Qt::Key_Alt);
    QVERIFY(!strip->keyboardMode());
    QTest::mouseRelease(strip, Qt::LeftButton, {}, strip->commandRect(3).center());
    QCOMPARE(about.size(), 2);
    // The window moved under a still pointer between press and release (the
    // positions in the strip change, the screen's do not): the command that
    // took the press triggers, not the one now under the pointer. Once the
    // pointer itself has moved off, the release triggers nothing.
    const QPoint screen = strip->mapToGlobal(strip->commandRect(3).center());
    const auto send = [strip](QEvent::Type type, QPoint local, QPoint global) {
        const bool move = type == QEvent::MouseMove;
        QMouseEvent ev(type, local, global, move ? Qt::NoButton : Qt::LeftButton,
                       move || type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                       {});
        QApplication::sendEvent(strip, &ev);
    };
    for (const QPoint released : {screen, screen - QPoint(0, 100)}) {
        send(QEvent::MouseButtonPress, strip->commandRect(3).center(), screen);
        send(QEvent::MouseMove, strip->commandRect(1).center(), screen);
        send(QEvent::MouseButtonRelease, strip->commandRect(1).center(), released);
    }
    QCOMPARE(about.size(), 3);
    QCOMPARE(font.size(), 0);
    // F10, then Right and Enter: the second command; the focus goes back.
    auto* box = new QLineEdit(&window);
    box->show();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_F10);
    QVERIFY(strip->keyboardMode());
    QTest::keyClick(strip, Qt::Key_Right);
    QTest::keyClick(strip, Qt::Key_Return);
    QCOMPARE(font.size(), 1);
    QVERIFY(!strip->keyboardMode());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
    // Alt pressed and released alone in the text box (which keeps the
    // release to itself) does the same; Esc leaves.
    QTest::keyClick(box, Qt::Key_Alt);
    QVERIFY(strip->keyboardMode());
    QTest::keyClick(strip, Qt::Key_Escape);
    QVERIFY(!strip->keyboardMode());

    // A click elsewhere ends the keyboard's visit: Enter then stays in the
    // text box instead of quitting.
    QSignalSpy quit(commands[0], &QAction::triggered);
    auto* cell = new QLabel(u"あ"_qs, &window);
    cell->setGeometry(200, 150, 40, 40);
    cell->show();
    QTest::keyClick(box, Qt::Key_F10);
    QTest::mouseClick(cell, Qt::LeftButton);
    QVERIFY(!strip->keyboardMode());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(quit.size(), 0);
    // So does the window losing the keyboard; the focus is back in the box
    // for when the window is active again.
    QTest::keyClick(box, Qt::Key_F10);
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    QVERIFY(!strip->keyboardMode());
    QCOMPARE(window.focusWidget(), static_cast<QWidget*>(box));
    // Without a window manager the board may never be active while the keys
    // reach its focus widget: Esc gives the focus back all the same.
    QTest::keyClick(box, Qt::Key_F10);
    QVERIFY(strip->keyboardMode());
    QTest::keyClick(strip, Qt::Key_Escape);
    QCOMPARE(window.focusWidget(), static_cast<QWidget*>(box));
}

// The strip beside a QMenuBar with the same commands, in Fusion, Windows and
// the platform's own style: the same size and the same pixels above the line
// that ends the bar, idle, under the pointer and held down. That line is one
// colour from end to end, and no line shows between the strip's rows, at
// any scale (the test runs at 1 and at 2).
void TestAccess::menuStripDrawsAsMenuBar()
{
    QStringList styles{u"Fusion"_qs, u"Windows"_qs};
    if (!styles.contains(QApplication::style()->name(), Qt::CaseInsensitive))
        styles << QApplication::style()->name();
    const QString shots = qEnvironmentVariable("HONURA_STRIP_SHOTS");
    for (const QString& name : styles) {
        const std::unique_ptr<QStyle> style(QStyleFactory::create(name));
        QVERIFY2(style, qPrintable(name));
        QMainWindow withBar;
        QMainWindow withStrip;
        auto* bar = new QMenuBar;
        bar->setNativeMenuBar(false);
        withBar.setMenuBar(bar);
        auto* strip = new MenuStrip;
        withStrip.setMenuWidget(strip);
        for (const char* caption : {"終了", "字体", "記録", "ホヌラについて"}) {
            bar->addAction(QString::fromUtf8(caption));
            strip->addCommand(QString::fromUtf8(caption));
        }
        QList<QImage> pictures; // bar and strip, then the wrapped strip, in each state
        bar->setStyle(style.get());
        strip->setStyle(style.get());
        for (QMainWindow* w : {&withBar, &withStrip}) {
            w->setCentralWidget(new QLineEdit);
            w->resize(strip->sizeHint().width() + 40, 80);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        QCOMPARE(strip->height(), bar->height());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(strip->commandRect(i), bar->actionGeometry(bar->actions().at(i)));
        const qreal dpr = strip->devicePixelRatio();
        // Each as seen in the active window: a style may draw the inactive one paler.
        const auto image = [](QWidget* w) {
            w->window()->activateWindow();
            return QTest::qWaitForWindowActive(w->window()) ? w->grab().toImage() : QImage();
        };
        // Each device row of the strip's picture from row y of the widget down
        // to row end, except the pixels of the last logical column, is one colour.
        const auto rowsPlain = [dpr](const QImage& img, qreal y, int end) {
            const int right = img.width() - static_cast<int>(dpr);
            for (int r = static_cast<int>(y * dpr); r < static_cast<int>(end * dpr); ++r)
                for (int x = 1; x < right; ++x)
                    if (img.pixel(x, r) != img.pixel(0, r))
                        return false;
            return true;
        };
        const qreal lineTopY = lineTop(strip->height() - 1, dpr);
        const auto above = [&](const QImage& img) {
            return img.copy(0, 0, img.width(), static_cast<int>(lineTopY * dpr));
        };
        const QPoint p = strip->commandRect(1).center();
        const std::function<void(QWidget*)> steps[] = {
            [](QWidget*) {},
            [p](QWidget* w) {
                QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(w, &move);
            },
            [p](QWidget* w) { QTest::mousePress(w, Qt::LeftButton, {}, p); },
        };
        const char* states[] = {"idle", "under the pointer", "held down"};
        for (int k = 0; k < 3; ++k) {
            steps[k](bar);
            steps[k](strip);
            const QImage b = image(bar);
            const QImage s = image(strip);
            pictures << b << s;
            const QString what = name + u' ' + QLatin1String(states[k]);
            QVERIFY2(above(b) == above(s), qPrintable(what));
            QVERIFY2(rowsPlain(s, lineTopY, strip->height()), qPrintable(what + u": line"_qs));
        }
        QTest::mouseRelease(bar, Qt::LeftButton, {}, p);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, p);

        // Wrapped: nothing drawn between the rows; the keyboard's command shows.
        withStrip.resize(strip->commandRect(3).left(), 120);
        QTRY_VERIFY(strip->commandRect(3).top() > strip->commandRect(0).top());
        const QImage idle = image(strip);
        const int upper = strip->commandRect(0).bottom();
        QVERIFY2(rowsPlain(idle, lineTop(upper, dpr), upper + 1), qPrintable(name));
        QTest::keyClick(withStrip.centralWidget(), Qt::Key_F10);
        const QImage keyboard = image(strip);
        QVERIFY2(keyboard != idle, qPrintable(name));
        QTest::keyClick(strip, Qt::Key_Escape);
        pictures << idle << keyboard;

        if (!shots.isEmpty()) { // side by side for the eye: HONURA_STRIP_SHOTS=<folder>
            const int cellWidth = pictures.first().width() + 8;
            int height = 0;
            for (const QImage& i : pictures)
                height = std::max(height, i.height());
            QImage sheet(2 * cellWidth, (height + 8) * 4, QImage::Format_RGB32);
            sheet.fill(Qt::white);
            QPainter painter(&sheet);
            for (int i = 0; i < pictures.size(); ++i) {
                QImage picture = pictures.at(i);
                picture.setDevicePixelRatio(1);
                painter.drawImage((i % 2) * cellWidth, (i / 2) * (height + 8), picture);
            }
            painter.end();
            QVERIFY(sheet.save(shots + u"/menubar-"_qs + name.toLower() + u'-' +
                               QString::number(dpr) + u"x.png"_qs));
        }
    }
}

void TestAccess::qtTranslationOrEnglish()
{
    const auto selectFont = [] {
        return QCoreApplication::translate("QFontDialog", "Select Font");
    };
    QVERIFY(!loadQtTranslation(*qApp, {QStringLiteral("/nonexistent/qtbase_ja.qm")}));
    QCOMPARE(selectFont(), u"Select Font"_qs);
    QVERIFY(loadQtTranslation(*qApp));
    QCOMPARE(selectFont(), u"フォントの選択"_qs);
}

HONURA_TEST_MAIN(TestAccess)
#include "test_access.moc"
