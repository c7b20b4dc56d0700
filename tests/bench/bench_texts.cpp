// Benchmark, not a test: huge texts on the board. Prints, in milliseconds:
//
//  - a paste of 1 MB and of 10 MB of Japanese text (UTF-8 bytes, one line)
//    into the message box, until the box has drawn it, and the next key press
//    answered; beside it the same in a QLineEdit without a length limit, as
//    the message box was (the baseline);
//  - the time "記録" takes to appear (the record drawn) with 10 MB of record:
//    made of committed messages of the message box's longest, and made of a
//    paste into the record window of one 10 MB line and of 10 MB of short
//    lines; beside it the same text in a QPlainTextEdit, as the record window
//    was (the baseline), and an empty record.
//
//   bench_texts            (on Qt's offscreen platform unless QT_QPA_PLATFORM
//                           names another)

#include "board/boarddef.h"
#include "board/frmmain.h"
#include "platform/headless/headlessplatform.h"
#include "record/frmlog.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <limits>

using namespace honura;

namespace {

// Japanese text of `bytes` bytes in UTF-8, of lines of `unit` (in one line
// when unit has no line break).
QString japaneseOfSize(qsizetype bytes, const QString& unit)
{
    QString s;
    const qsizetype chars = bytes / 3;
    s.reserve(chars + unit.size());
    while (s.size() < chars)
        s += unit;
    s.truncate(chars);
    return s;
}

const QString kWords = QStringLiteral("ひとつのことばをつづる、");
const QString kLines = QStringLiteral("ひとつのことばをつづる\n");

// Time of f() and of what the event loop then has to do (layout, paint).
template <typename F> double settledMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// A paste into edit, then a key press answered: both times.
std::pair<double, double> pasteAndKey(QLineEdit* edit, const QString& text)
{
    edit->clear();
    edit->setFocus();
    QGuiApplication::clipboard()->setText(text);
    QCoreApplication::processEvents();
    const double paste = settledMs([&] { edit->paste(); });
    const double key = settledMs([&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(edit, &press);
    });
    return {paste, key};
}

// Runs show() and returns the time until viewport has painted, after which
// hide() ends the showing.
template <typename Show, typename Hide>
double untilPainted(QWidget* viewport, Show&& show, Hide&& hide)
{
    struct PaintWatch : QObject {
        bool painted = false;
        std::function<void()> hide;
        bool eventFilter(QObject* watched, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && !painted) {
                painted = true;
                QTimer::singleShot(0, watched, hide);
            }
            return false;
        }
    } watch;
    watch.hide = hide;
    viewport->installEventFilter(&watch);
    QElapsedTimer t;
    t.start();
    show();
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    QCoreApplication::processEvents();
    viewport->removeEventFilter(&watch);
    return ms;
}

// "記録" on the board until the record window has drawn its text.
double showRecord(FrmMain& board)
{
    FrmLog& log = FrmLog::instance(&board);
    return untilPainted(
        log.TxtLog()->viewport(), [&board] { board.MnuLog_Click(); },
        [] {
            if (FrmLog* w = FrmLog::existing())
                w->CmdClose_Click();
        });
}

// The baseline: the same text in a plain QPlainTextEdit of the record's size.
double showPlain(const QString& text, double* pasteMs)
{
    QPlainTextEdit plain;
    plain.resize(FrmLog::instance().TxtLog()->size());
    plain.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QGuiApplication::clipboard()->setText(text);
    *pasteMs = settledMs([&] { plain.paste(); });
    plain.moveCursor(QTextCursor::Start);
    return untilPainted(
        plain.viewport(), [&plain] { plain.show(); }, [&plain] { plain.hide(); });
}

void printRow(const char* what, double board, double baseline)
{
    std::printf("%-40s %10.1f %10.1f %8.3f\n", what, board, baseline, board / baseline);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setPlatform(std::make_unique<HeadlessPlatform>());
    FrmMain board;
    board.show();
    QLineEdit plain;
    plain.setMaxLength(std::numeric_limits<int>::max());
    plain.resize(board.TxtMsg()->size());
    plain.show();
    QCoreApplication::processEvents();

    std::printf("%-40s %10s %10s %8s\n", "(ms)", "board", "baseline", "ratio");
    for (const int mb : {1, 10}) {
        const QString text = japaneseOfSize(qsizetype(mb) << 20, kWords);
        const auto [boardPaste, boardKey] = pasteAndKey(board.TxtMsg(), text);
        const auto [plainPaste, plainKey] = pasteAndKey(&plain, text);
        const QByteArray paste = QByteArray::number(mb) + " MB paste into the message box, drawn";
        const QByteArray key = QByteArray::number(mb) + " MB: the next key press answered";
        printRow(paste.constData(), boardPaste, plainPaste);
        printRow(key.constData(), boardKey, plainKey);
        board.TxtMsg()->clear();
        plain.clear();
    }
    std::printf("(the message box holds at most %d characters)\n\n", boarddef::kTxtMsgMaxLength);

    delete FrmLog::existing();
    std::printf("%-40s %10.1f\n", "記録, empty record", showRecord(board));

    // 10 MB of record from commits of the longest message.
    const QString message = japaneseOfSize(qsizetype(3) * boarddef::kTxtMsgMaxLength, kWords);
    QString committed;
    while (committed.toUtf8().size() < (qsizetype(10) << 20)) {
        board.TxtMsg()->setText(message);
        board.ImgMark_Click();
        committed += message + QStringLiteral("\r\n");
    }
    double ignored = 0;
    printRow("記録, 10 MB of committed messages", showRecord(board),
             showPlain(committed, &ignored));

    for (const QString* unit : {&kWords, &kLines}) {
        delete FrmLog::existing();
        const QString text = japaneseOfSize(qsizetype(10) << 20, *unit);
        FrmLog& log = FrmLog::instance(&board);
        log.TxtLog()->setFocus();
        QGuiApplication::clipboard()->setText(text);
        const double paste = settledMs([&] { log.TxtLog()->paste(); });
        log.TxtLog()->moveCursor(QTextCursor::Start);
        const double shown = showRecord(board);
        double plainPaste = 0;
        const double plainShown = showPlain(text, &plainPaste);
        const bool oneLine = unit == &kWords;
        printRow(oneLine ? "10 MB line pasted into the record"
                         : "10 MB of lines pasted into the record",
                 paste, plainPaste);
        printRow("  記録 then", shown, plainShown);
    }
    delete FrmLog::existing();
    return 0;
}
