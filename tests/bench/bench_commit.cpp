// Benchmark, not a test: the cost of one commit on the board as the record
// grows. Prints the median time of a commit into records of 1 KB, 100 KB and
// 1 MB, against replacing the record's whole text (the baseline), and the time
// of 10,000 commits in a row.
//
//   bench_commit            (runs on Qt's offscreen platform)

#include "board/frmmain.h"
#include "platform/headless/headlessplatform.h"
#include "record/frmlog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace honura;

namespace {

constexpr int kSamples = 41;
const QString kMessage = QStringLiteral("あいうえおかきくけこ");

// A record of about `bytes` bytes in UTF-16, in lines like the board writes.
QString recordOfSize(qsizetype bytes)
{
    QString r;
    while (r.size() * 2 < bytes)
        r += QStringLiteral("ひとつのことばをつづる\r\n");
    return r;
}

double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

// One commit as the board makes it: spelled text in the message box, a click
// on the torii.
qint64 commitOnce(FrmMain& board)
{
    board.TxtMsg()->setText(kMessage);
    QElapsedTimer t;
    t.start();
    board.ImgMark_Click();
    return t.nsecsElapsed();
}

// The same commit by reading and replacing the record's whole text.
qint64 replaceOnce(FrmLog& log)
{
    QElapsedTimer t;
    t.start();
    log.TxtLog()->setPlainText(log.TxtLog()->toPlainText() + kMessage + QLatin1Char('\n'));
    return t.nsecsElapsed();
}

void fresh(const QString& record, bool shownBefore)
{
    delete FrmLog::existing();
    FrmLog& log = FrmLog::instance();
    log.setRecord(record);
    if (shownBefore) {
        log.show();
        QCoreApplication::processEvents();
        log.hide();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setPlatform(std::make_unique<HeadlessPlatform>());
    FrmMain board;

    std::printf("%-8s %-14s %12s %14s\n", "record", "window", "commit (ms)", "replace (ms)");
    for (const qsizetype bytes : {qsizetype(1) << 10, qsizetype(100) << 10, qsizetype(1) << 20}) {
        const QString record = recordOfSize(bytes);
        for (const bool shown : {false, true}) {
            std::vector<qint64> commit, replace;
            fresh(record, shown);
            for (int i = 0; i < kSamples; ++i)
                commit.push_back(commitOnce(board));
            fresh(record, shown);
            for (int i = 0; i < kSamples; ++i)
                replace.push_back(replaceOnce(*FrmLog::existing()));
            std::printf("%-8s %-14s %12.3f %14.3f\n",
                        bytes >= (1 << 20)     ? "1 MB"
                        : bytes >= (100 << 10) ? "100 KB"
                                               : "1 KB",
                        shown ? "shown before" : "never shown", medianMs(commit),
                        medianMs(replace));
        }
    }

    // 10,000 commits in a row into an empty record; the last thousand cost
    // about what the first thousand did when the growth is linear overall.
    delete FrmLog::existing();
    QElapsedTimer total;
    total.start();
    qint64 first = 0, last = 0;
    for (int i = 0; i < 10000; ++i) {
        const qint64 ns = commitOnce(board);
        if (i < 1000)
            first += ns;
        else if (i >= 9000)
            last += ns;
    }
    const double ms = total.nsecsElapsed() / 1e6;
    std::printf("10000 commits in a row: %.1f ms (first 1000: %.1f ms, last 1000: %.1f ms), "
                "record %lld characters\n",
                ms, first / 1e6, last / 1e6,
                static_cast<long long>(FrmLog::existing()->record().size()));
    delete FrmLog::existing();
    return 0;
}
