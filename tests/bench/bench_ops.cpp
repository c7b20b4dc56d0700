// Micro-benchmarks of the board's own work, on the offscreen platform: the
// relayout of the 67 labels, the torii and the message box, and the save of
// the settings file. Prints medians; a relayout is compared with moving the
// same 69 widgets to fixed places, the least any relayout must do.
#include "board/clicklabel.h"
#include "board/frmmain.h"
#include "platform/headless/headlessplatform.h"
#include "settings/boardsettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace honura;

template <typename F> static double medianMicros(int runs, F&& f)
{
    std::vector<double> t;
    t.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f(i);
        t.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto headless = std::make_unique<HeadlessPlatform>();
    QTemporaryDir dir;
    headless->dir = dir.path();
    setPlatform(std::move(headless));

    FrmMain board;
    board.startUp();
    board.show();
    QApplication::processEvents();

    const int runs = 2000;
    const double relayout =
        medianMicros(runs, [&](int i) { board.resize(460 + (i % 2) * 40, 350 + (i % 2) * 30); });
    std::vector<QWidget*> widgets;
    for (int i = 0; i <= FrmMain::LblCharUBound(); ++i)
        widgets.push_back(board.LblChar(i));
    widgets.push_back(board.lblYes());
    widgets.push_back(board.lblNo());
    const double moveOnly = medianMicros(runs, [&](int i) {
        for (QWidget* w : widgets)
            w->setGeometry(i % 2, i % 2, 40, 37);
    });

    const QString path = dir.filePath(QStringLiteral("honura.ini"));
    BoardSettings s;
    const double save = medianMicros(200, [&](int i) {
        s.left = i; // a changed value, so that the file is really rewritten
        saveBoardSettings(path, s);
    });

    std::printf("relayout (resize with BoardSet, TxtMsgSet, ImgMarkSet): %8.1f us median\n",
                relayout);
    std::printf("baseline: moving the 67 labels to fixed places         : %8.1f us median\n",
                moveOnly);
    std::printf("  ratio relayout / baseline: %.2f\n", relayout / moveOnly);
    std::printf("settings save (8 keys, atomic replace)                 : %8.1f us median\n", save);
    return 0;
}
