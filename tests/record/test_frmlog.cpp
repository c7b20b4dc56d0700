// The record window: its definition, its buttons, its modal showing and its life.
#include "pictures/pictures.h"
#include "record/frmlog.h"
#include "testmain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <functional>

using namespace honura;

class TestFrmLog : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void definition();
    void createdHiddenAndEmpty();
    void modalCentredAndFocused();
    void enterAndEscapePressNothing();
    void closeHidesAndKeeps();
    void closeBoxDestroys();
    void eraseEmptiesAndStaysShown();
    void userEditsArePartOfTheRecord();
    void writingShowsFromTheStart();
    void megabyteRecord();
};

// Runs while the record window is shown modally, then lets showModal() return.
static void whileShown(const std::function<void(FrmLog&)>& body)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        FrmLog* w = FrmLog::existing();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        body(*w);
        ran = true;
        if (FrmLog::existing() && FrmLog::existing()->isVisible())
            FrmLog::existing()->CmdClose_Click();
    });
    FrmLog::showModal();
    QVERIFY(ran);
}

static void discard()
{
    delete FrmLog::existing();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestFrmLog::initTestCase() { QApplication::setWindowIcon(pictures::appIcon()); }

void TestFrmLog::init()
{
    test::resetPlatform();
    discard();
}

void TestFrmLog::cleanup() { discard(); }

void TestFrmLog::definition()
{
    FrmLog& w = FrmLog::instance();
    QCOMPARE(w.windowTitle(), QStringLiteral("記録"));
    // 7170 x 3735 twips at 15 twips per pixel, fixed.
    QCOMPARE(w.size(), QSize(478, 249));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    const Qt::WindowFlags f = w.windowFlags();
    QVERIFY(f & Qt::WindowCloseButtonHint);
    QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.windowModality(), Qt::ApplicationModal);
    QVERIFY(!w.parentWidget());

    QCOMPARE(w.TxtLog()->geometry(), QRect(0, 0, 473, 201));
    QCOMPARE(w.CmdClose()->geometry(), QRect(392, 216, 73, 25));
    QCOMPARE(w.CmdErase()->geometry(), QRect(16, 216, 73, 25));
    QCOMPARE(w.CmdClose()->text(), QStringLiteral("閉じる"));
    QCOMPARE(w.CmdErase()->text(), QString::fromUtf16(u"消\u3000去"));
    QVERIFY(!w.CmdClose()->autoDefault() && !w.CmdClose()->isDefault());
    QVERIFY(!w.CmdErase()->autoDefault() && !w.CmdErase()->isDefault());

    QCOMPARE(w.TxtLog()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w.TxtLog()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(w.TxtLog()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(!w.TxtLog()->isReadOnly());
    QCOMPARE(w.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

void TestFrmLog::createdHiddenAndEmpty()
{
    QVERIFY(!FrmLog::existing());
    FrmLog& w = FrmLog::instance();
    QCOMPARE(FrmLog::existing(), &w);
    QCOMPARE(&FrmLog::instance(), &w);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.record(), QString());
    w.appendRecord(u"あい\r\n");
    QVERIFY(!w.isVisible());
    QCOMPARE(w.record(), QStringLiteral("あい\r\n"));
}

void TestFrmLog::modalCentredAndFocused()
{
    whileShown([](FrmLog& w) {
        QVERIFY(w.isModal());
        QVERIFY(QApplication::activeModalWidget() == &w);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPoint offset = w.frameGeometry().center() - screen.center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "not centred on the screen");
        QCOMPARE(w.focusWidget(), w.TxtLog());
        // Tab order: the text box, then 閉じる, then 消　去.
        QTest::keyClick(w.TxtLog(), Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.CmdClose());
        QTest::keyClick(w.CmdClose(), Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.CmdErase());
    });
    QVERIFY(!FrmLog::existing()->isVisible());
}

void TestFrmLog::enterAndEscapePressNothing()
{
    FrmLog::instance().setRecord(u"keep\r\n");
    whileShown([](FrmLog& w) {
        for (QWidget* target : {static_cast<QWidget*>(w.CmdClose()),
                                static_cast<QWidget*>(w.CmdErase()), static_cast<QWidget*>(&w)}) {
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(target, key);
            QVERIFY(w.isVisible());
            QCOMPARE(w.record(), QStringLiteral("keep\r\n"));
        }
    });
}

void TestFrmLog::closeHidesAndKeeps()
{
    QPoint placed;
    whileShown([&](FrmLog& w) {
        w.appendRecord(u"あい\r\n");
        w.move(w.pos() + QPoint(40, -25)); // the user moves it
        placed = w.pos();
        QTest::mouseClick(w.CmdClose(), Qt::LeftButton);
        QVERIFY(!w.isVisible());
    });
    FrmLog* w = FrmLog::existing();
    QVERIFY(w);
    w->appendRecord(u"う\r\n"); // committed while hidden
    whileShown([&](FrmLog& shown) {
        QCOMPARE(&shown, w);
        QCOMPARE(shown.pos(), placed); // not centred again
        QCOMPARE(shown.record(), QStringLiteral("あい\r\nう\r\n"));
    });
}

void TestFrmLog::closeBoxDestroys()
{
    FrmLog::instance().setRecord(u"gone\r\n");
    QPointer<FrmLog> first = FrmLog::existing();
    whileShown([](FrmLog& w) { QVERIFY(w.close()); });
    QVERIFY(!FrmLog::existing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);

    FrmLog& fresh = FrmLog::instance();
    QCOMPARE(fresh.record(), QString());
    QVERIFY(!fresh.isVisible());
    whileShown([](FrmLog& w) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY((w.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
    });
}

void TestFrmLog::eraseEmptiesAndStaysShown()
{
    FrmLog::instance().setRecord(u"あい\r\nう\r\n");
    whileShown([](FrmLog& w) {
        QTest::mouseClick(w.CmdErase(), Qt::LeftButton);
        QVERIFY(w.isVisible());
        QCOMPARE(w.record(), QString());
        QTest::mouseClick(w.CmdErase(), Qt::LeftButton); // erasing nothing
        QCOMPARE(w.record(), QString());
    });
    FrmLog::existing()->appendRecord(u"え\r\n");
    QCOMPARE(FrmLog::existing()->record(), QStringLiteral("え\r\n"));
}

void TestFrmLog::userEditsArePartOfTheRecord()
{
    FrmLog::instance().setRecord(u"あい\r\n");
    whileShown([](FrmLog& w) {
        QPlainTextEdit* box = w.TxtLog();
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("ok"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("x"));
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(box, QStringLiteral("y"));
        // A pasted line of any length goes in whole; a copy gives the record's lines.
        QGuiApplication::clipboard()->setText(QStringLiteral("\n") + QString(10000, u'z'));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), w.record());
        QVERIFY(w.isVisible());
    });
    FrmLog* w = FrmLog::existing();
    const QString typed = QStringLiteral("あい\r\nok\r\nx\r\ny\r\n") + QString(10000, u'z');
    QCOMPARE(w->record(), typed);
    w->appendRecord(u"\r\nう\r\n");
    QCOMPARE(w->record(), typed + QStringLiteral("\r\nう\r\n"));
}

// After the board writes the record, the box shows it from its beginning with
// nothing selected and nothing to undo, as after replacing the whole text.
void TestFrmLog::writingShowsFromTheStart()
{
    FrmLog& w = FrmLog::instance();
    QString lines;
    for (int i = 0; i < 200; ++i)
        lines += QStringLiteral("line %1\r\n").arg(i);
    w.setRecord(lines);
    whileShown([](FrmLog& shown) {
        QPlainTextEdit* box = shown.TxtLog();
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("typed"));
        QVERIFY(box->verticalScrollBar()->value() > 0);
        shown.appendRecord(u"more\r\n");
        QCOMPARE(box->textCursor().position(), 0);
        QVERIFY(!box->textCursor().hasSelection());
        QCOMPARE(box->verticalScrollBar()->value(), 0);
        QVERIFY(!box->document()->isUndoAvailable());
    });
    QCOMPARE(w.record(), lines + QStringLiteral("typedmore\r\n"));
}

// A record of megabytes takes more lines and long ones without loss.
void TestFrmLog::megabyteRecord()
{
    FrmLog& w = FrmLog::instance();
    const QString longLine(1 << 20, QChar(u'あ'));
    w.appendRecord(QString(longLine + QStringLiteral("\r\n")));
    QString many;
    for (int i = 0; i < 50000; ++i)
        many += QStringLiteral("%1\r\n").arg(i);
    w.appendRecord(many);
    w.appendRecord(u"end\r\n");
    const QString r = w.record();
    QCOMPARE(r.size(), longLine.size() + 2 + many.size() + 5);
    QVERIFY(r.startsWith(longLine + QStringLiteral("\r\n0\r\n")));
    QVERIFY(r.endsWith(QStringLiteral("49999\r\nend\r\n")));
    whileShown([](FrmLog& shown) { QVERIFY(shown.isVisible()); });
}

HONURA_TEST_MAIN(TestFrmLog)
#include "test_frmlog.moc"
