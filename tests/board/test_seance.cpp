// Possession mode and spelling, driven by mouse events as the window system
// delivers them.
#include "board/frmmain.h"
#include "controls/clicklabel.h"
#include "pictures/pictures.h"
#include "record/frmlog.h"
#include "testmain.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleHints>
#include <QTimer>
#include <functional>
#include <memory>

using namespace honura;

class TestSeance : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void spellAndCommit();
    void blankCellsAndAnswersAddNothing();
    void emptyCommitMakesNoRecordWindow();
    void quickClicksOnACell();
    void quickClicksOnNeighboursAndEnter();
    void doubleClickIntoTheMode();
    void doubleClickOutOfTheMode();
    void textTypedDuringTheGesture();
    void typedTextCommitsAsTyped();
    void commitsWhileHiddenOrAbsent();
    void menuCommandsKeepTheMode();
    void quitReleasesTheCursor();
    void megabyteMessage();
    void compositionComesFirst();

  private:
    // Presses and releases the left button on w n times, each press within
    // the double-click time of the one before; between(i) runs after the
    // i-th release.
    void quickClicks(QWidget* w, int n, const std::function<void(int)>& between = {})
    {
        quickClicks(QList<QWidget*>(n, w), between);
    }
    // The same for a press on each of ws in turn.
    void quickClicks(const QList<QWidget*>& ws, const std::function<void(int)>& between = {});
    void doubleClick(QWidget* w) { quickClicks(w, 2); }
    void click(QWidget* w) { quickClicks(w, 1); }
    QString record() const { return FrmLog::existing() ? FrmLog::existing()->record() : QString(); }
    QString msg() const { return board_->TxtMsg()->text(); }

    std::unique_ptr<FrmMain> board_;
};

static QString u(const char16_t* s) { return QString::fromUtf16(s); }

// Types text as an input method commits it (kana and kanji come that way).
static void type(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(w, &e);
}

// Shows text as an input method does while it composes.
static void compose(QWidget* w, const QString& text)
{
    QInputMethodEvent e(text, {});
    QCoreApplication::sendEvent(w, &e);
}

void TestSeance::init()
{
    test::resetPlatform();
    delete FrmLog::existing();
    board_ = std::make_unique<FrmMain>();
    QVERIFY(board_->startUp());
    board_->show();
    QVERIFY(QTest::qWaitForWindowExposed(board_.get()));
}

void TestSeance::cleanup()
{
    board_.reset();
    delete FrmLog::existing();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestSeance::quickClicks(const QList<QWidget*>& ws, const std::function<void(int)>& between)
{
    const int step = QGuiApplication::styleHints()->mouseDoubleClickInterval() / 10;
    int& t = QTest::lastMouseTimestamp;
    for (int i = 0; i < ws.size(); ++i) {
        QWindow* window = ws[i]->window()->windowHandle();
        const QPoint local = window->mapFromGlobal(ws[i]->mapToGlobal(ws[i]->rect().center()));
        const QPointF global = window->mapToGlobal(local);
        t += step;
        qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton,
                            QEvent::MouseButtonPress, {}, t);
        t += 1;
        qt_handleMouseEvent(window, local, global, {}, Qt::LeftButton, QEvent::MouseButtonRelease,
                            {}, t);
        QCoreApplication::processEvents();
        if (between)
            between(i);
    }
    t += 2 * QTest::mouseDoubleClickInterval; // the next gesture starts afresh
}

void TestSeance::spellAndCommit()
{
    // あ is cell 10, い cell 21, う cell 32.
    click(board_->LblChar(10));
    click(board_->LblChar(21));
    QCOMPARE(msg(), u(u"あい"));
    click(board_->ImgMark());
    QCOMPARE(msg(), QString());
    click(board_->LblChar(32));
    click(board_->ImgMark());
    QCOMPARE(record(), u(u"あい\r\nう\r\n"));
    QVERIFY(!board_->Possessed()); // all in normal mode
    QVERIFY(!test::fake().appCursor);
    QVERIFY(test::fake().clipCalls.isEmpty());
}

void TestSeance::blankCellsAndAnswersAddNothing()
{
    click(board_->LblChar(10));
    for (int blank : {11, 14, 22, 33, 36, 44, 55})
        click(board_->LblChar(blank));
    click(board_->lblYes());
    click(board_->lblNo());
    QCOMPARE(msg(), u(u"あ"));
}

void TestSeance::emptyCommitMakesNoRecordWindow()
{
    click(board_->ImgMark());
    click(board_->LblChar(11));
    click(board_->ImgMark());
    QVERIFY(!FrmLog::existing());
}

void TestSeance::quickClicksOnACell()
{
    quickClicks(board_->LblChar(10), 2);
    QCOMPARE(msg(), u(u"あ"));
    quickClicks(board_->LblChar(21), 3);
    QCOMPARE(msg(), u(u"あいい"));
}

// A quick press on another cell is a click of its own, not a double-click,
// even a few pixels from the last (Qt alone would report a double-click);
// Enter in the message box commits as the torii does.
void TestSeance::quickClicksOnNeighboursAndEnter()
{
    board_->resize(40, 300); // cells a few pixels wide
    QCoreApplication::processEvents();
    const QPoint apart =
        board_->LblChar(9)->geometry().center() - board_->LblChar(10)->geometry().center();
    QVERIFY(apart.manhattanLength() < QGuiApplication::styleHints()->mouseDoubleClickDistance());
    QString spelled;
    quickClicks({board_->LblChar(10), board_->LblChar(9), board_->LblChar(9), board_->ImgMark()},
                [&](int i) {
                    if (i == 2)
                        spelled = msg();
                });
    QCOMPARE(spelled, u(u"あか")); // the second press on か was its double-click
    QVERIFY(!board_->Possessed()); // the press on the torii was a click
    QCOMPARE(record(), u(u"あか\r\n"));
    type(board_->TxtMsg(), QStringLiteral("はい"));
    QTest::keyClick(board_->TxtMsg(), Qt::Key_Return);
    QCOMPARE(record(), u(u"あか\r\nはい\r\n"));
    QCOMPARE(msg(), QString());
}

void TestSeance::doubleClickIntoTheMode()
{
    click(board_->LblChar(10));
    click(board_->LblChar(21));
    doubleClick(board_->ImgMark());

    QVERIFY(board_->Possessed());
    QCOMPARE(record(), u(u"あい\r\n"));
    QCOMPARE(msg(), QString());
    QVERIFY(!FrmLog::existing()->isVisible()); // created hidden, never shown by a commit

    const HeadlessPlatform& os = test::fake();
    QCOMPARE(os.clipCalls.size(), 2); // release, then confine
    QVERIFY(!os.clipCalls[0]);
    QVERIFY(os.clipped);
    const QRect client(board_->clientArea()->mapToGlobal(QPoint()), board_->clientArea()->size());
    QCOMPARE(os.clipped->left, client.left());
    QCOMPARE(os.clipped->bottom, client.top() + client.height());

    QVERIFY(os.appCursor);
    QCOMPARE(os.appCursor->pixmap().size(), QSize(32, 32));
    QCOMPARE(os.appCursor->hotSpot(), pictures::kPossessionHotspot);
    QCOMPARE(os.appCursor->pixmap().toImage(), board_->ImgHide()->cursor().pixmap().toImage());
}

void TestSeance::doubleClickOutOfTheMode()
{
    doubleClick(board_->ImgMark());
    QVERIFY(board_->Possessed());
    QVERIFY(!FrmLog::existing());
    click(board_->LblChar(32));
    doubleClick(board_->ImgMark());

    QVERIFY(!board_->Possessed());
    QCOMPARE(record(), u(u"う\r\n")); // the click committed; nothing else is added
    QCOMPARE(msg(), QString());
    QVERIFY(!test::fake().clipped);
    QVERIFY(!test::fake().clipCalls.last());
    QVERIFY(!test::fake().appCursor);

    // And in again: the mode only ever follows the double-clicks.
    doubleClick(board_->ImgMark());
    QVERIFY(board_->Possessed());
    QVERIFY(test::fake().clipped);
}

// Text that reaches the message box between the two presses of the gesture
// that leaves the mode goes to the record after a line break, and stays.
void TestSeance::textTypedDuringTheGesture()
{
    doubleClick(board_->ImgMark());
    click(board_->LblChar(10));
    quickClicks(board_->ImgMark(), 2, [this](int i) {
        if (i == 0) {
            QCOMPARE(record(), u(u"あ\r\n"));
            type(board_->TxtMsg(), QStringLiteral("え"));
        }
    });
    QVERIFY(!board_->Possessed());
    QCOMPARE(record(), u(u"あ\r\n\r\nえ"));
    QCOMPARE(msg(), u(u"え"));
    // The next commit follows straight on.
    click(board_->ImgMark());
    QCOMPARE(record(), u(u"あ\r\n\r\nええ\r\n"));
}

void TestSeance::typedTextCommitsAsTyped()
{
    QLineEdit* box = board_->TxtMsg();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("Hi "));
    type(box, u(u"漢字 ｶﾅ"));
    click(board_->LblChar(64));
    box->insert(u(u"\U0001F98A\t\u3000"));
    click(board_->ImgMark());
    QCOMPARE(record(), u(u"Hi 漢字 ｶﾅ九\U0001F98A\t\u3000\r\n"));
}

void TestSeance::commitsWhileHiddenOrAbsent()
{
    QAction* mnuLog = board_->menuCommand(2);
    const auto showRecord = [&](const std::function<void(FrmLog&)>& whileShown) {
        QTimer::singleShot(0, [&] {
            FrmLog* w = FrmLog::existing();
            QVERIFY(w && w->isVisible());
            whileShown(*w);
        });
        mnuLog->trigger();
    };

    // "記録" before any commit: an empty record.
    showRecord([](FrmLog& w) {
        QCOMPARE(w.record(), QString());
        QTest::mouseClick(w.CmdClose(), Qt::LeftButton);
    });
    click(board_->LblChar(10));
    click(board_->ImgMark());
    click(board_->LblChar(21));
    click(board_->ImgMark());
    showRecord([](FrmLog& w) {
        QCOMPARE(w.record(), u(u"あ\r\nい\r\n"));
        QTest::mouseClick(w.CmdErase(), Qt::LeftButton);
        QTest::mouseClick(w.CmdClose(), Qt::LeftButton);
    });
    click(board_->LblChar(32));
    click(board_->ImgMark());
    QCOMPARE(record(), u(u"う\r\n"));

    // The close box discards the window and its text; the next commit starts afresh.
    showRecord([](FrmLog& w) { w.close(); });
    QVERIFY(!FrmLog::existing());
    click(board_->LblChar(21));
    click(board_->ImgMark());
    QCOMPARE(record(), u(u"い\r\n"));
    QVERIFY(!FrmLog::existing()->isVisible());
}

void TestSeance::menuCommandsKeepTheMode()
{
    doubleClick(board_->ImgMark());
    const auto calls = test::fake().clipCalls.size();
    QTimer::singleShot(0, [] {
        FrmLog* w = FrmLog::existing();
        QVERIFY(w && w->isVisible());
        QVERIFY(test::fake().appCursor); // the possession cursor over this window too
        w->CmdClose_Click();
    });
    board_->menuCommand(2)->trigger();
    QVERIFY(board_->Possessed());
    QCOMPARE(test::fake().clipCalls.size(), calls);
    QVERIFY(test::fake().clipped);
    QVERIFY(test::fake().appCursor);
}

void TestSeance::quitReleasesTheCursor()
{
    doubleClick(board_->ImgMark());
    QVERIFY(test::fake().clipped);
    board_->menuCommand(0)->trigger();
    QVERIFY(!test::fake().clipped);
    QVERIFY(!test::fake().clipCalls.last());
    QVERIFY(board_->Possessed()); // shut-down leaves the flag alone
}

// Long messages go to the record whole, however long the record already is.
void TestSeance::megabyteMessage()
{
    QLineEdit* box = board_->TxtMsg();
    const QString big(1 << 20, QChar(u'ぬ'));
    box->setText(big);
    click(board_->LblChar(10));
    click(board_->ImgMark());
    // A screen reader is told of it in part.
    QCOMPARE(board_->announcer().lastMessage(),
             u(u"「") + big.first(100) + u(u"…」を記録しました"));
    box->setText(big);
    doubleClick(board_->ImgMark());
    QCOMPARE(record(), big + u(u"あ\r\n") + big + u(u"\r\n"));
}

// What the input method is composing goes before the cell's character and
// into the commit (here the input method keeps it: the box takes it as shown).
// Where the input method hands the same text over once more (ibus with Mozc,
// when reset), that copy is left out; the same text typed afterwards is not.
void TestSeance::compositionComesFirst()
{
    LineEdit* box = board_->TxtMsg();
    board_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(board_.get()));
    compose(box, u(u"か"));
    click(board_->LblChar(10));
    QCOMPARE(msg(), u(u"かあ"));
    type(box, u(u"か"));
    compose(box, u(u"き"));
    click(board_->ImgMark());
    QCOMPARE(record(), u(u"かあき\r\n"));
    type(box, u(u"き"));
    QCOMPARE(msg(), QString());
    type(box, u(u"き"));
    QCOMPARE(msg(), u(u"き"));
}

HONURA_TEST_MAIN(TestSeance)
#include "test_seance.moc"
