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
#include <QLineEdit>
#include <QSignalSpy>

using namespace honura;

class TestAccess : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { test::resetPlatform(); }
    void readingOrderAndActions();
    void textPieces();
    void menuStripWrapsAndTakesKeys();
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
