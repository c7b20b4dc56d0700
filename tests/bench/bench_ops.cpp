// Micro-benchmarks of the board's own work, on the offscreen platform: the
// relayout of the 67 labels, the torii and the message box, the save of the
// settings file, and what a screen reader asks of the message box. Prints
// medians; a relayout is compared with moving the same 69 widgets to fixed
// places, the least any relayout must do, the one-write save with the eight
// writes a save used to make (one replace of the file a key, through
// QSaveFile), and the screen reader's queries in a message of ten million
// characters with the same in one of 4,096 (the most a query reads), and with
// Qt's own line edit (in ASCII: Qt's loops for good on kana).
#include "board/frmmain.h"
#include "controls/clicklabel.h"
#include "controls/textboundary.h"
#include "platform/cp932.h"
#include "platform/headless/headlessplatform.h"
#include "settings/boardsettings.h"
#include "settings/inifile.h"
#include "settings/profile.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
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

// A key written as a save used to write it: the whole file read, edited and
// replaced through QSaveFile (which flushes the file's data, not its folder).
static void formerIniPut(const QString& path, const QString& section, const QString& key,
                         const QString& value)
{
    const profile::FileContents file = profile::readFile(path);
    const std::optional<std::string> edited =
        profile::put(file.bytes, cp932::encode(section)->toStdString(),
                     cp932::encode(key)->toStdString(), cp932::encode(value)->toStdString());
    if (!edited || *edited == file.bytes)
        return;
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    if (f.open(QIODevice::WriteOnly) &&
        f.write(edited->data(), static_cast<qint64>(edited->size())) ==
            static_cast<qint64>(edited->size()))
        f.commit();
}

static void formerSave(const QString& path, const BoardSettings& s)
{
    for (const SettingText& t : settingTexts(s))
        formerIniPut(path, t.section, t.key, t.text);
}

// Every key changed, so that every write really happens.
static BoardSettings changed(int i)
{
    BoardSettings s;
    s.fontName = i % 2 ? QStringLiteral("IPAPGothic") : QStringLiteral("ＭＳ Ｐ明朝");
    s.fontSize = i % 2 ? 20.5f : 16;
    s.bold = i % 2;
    s.italic = !(i % 2);
    s.top = i;
    s.left = i + 1;
    s.width = 6945 + i;
    s.height = 5580 + i;
    return s;
}

// What a screen reader asks as the caret moves in the middle of the text: the
// character, word and line there, the run of attributes and the place. (The
// place is measured from the caret's, which Qt works out from the whole line:
// that part grows with the text.)
static double readerQueries(QLineEdit* box, int runs)
{
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(box)->textInterface();
    return medianMicros(runs, [&](int i) {
        const int at = static_cast<int>(box->text().size() / 2) + i % 3;
        int start = 0;
        int end = 0;
        for (auto type :
             {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::LineBoundary})
            text->textAtOffset(at, type, &start, &end);
        text->attributes(at, &start, &end);
        text->characterRect(at);
    });
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

    // On the build's disk, where flushing costs what it costs the user (a
    // temporary folder may be in memory).
    QTemporaryDir diskDir(QCoreApplication::applicationDirPath() + QStringLiteral("/save-XXXXXX"));
    const QString path = diskDir.filePath(QStringLiteral("honura.ini"));
    const int saves = 100;
    const double save = medianMicros(saves, [&](int i) { saveBoardSettings(path, changed(i)); });
    const double former = medianMicros(saves, [&](int i) { formerSave(path, changed(i)); });
    std::printf("relayout (resize with BoardSet, TxtMsgSet, ImgMarkSet): %8.1f us median\n",
                relayout);
    std::printf("baseline: moving the 67 labels to fixed places         : %8.1f us median\n",
                moveOnly);
    std::printf("  ratio relayout / baseline: %.2f\n", relayout / moveOnly);
    std::printf("settings save (8 keys, one write, fsync of file+folder): %8.1f us median\n", save);
    std::printf("baseline: 8 writes, one a key (the former save)         : %8.1f us median\n",
                former);
    std::printf("  ratio one write / former eight: %.2f\n", save / former);

    constexpr int kHuge = 10'000'000;
    board.TxtMsg()->setText(QString(textboundary::kPiece, u'ぬ'));
    const double piece = readerQueries(board.TxtMsg(), 200);
    board.TxtMsg()->setText(QString(kHuge, u'ぬ'));
    const double huge = readerQueries(board.TxtMsg(), 200);
    QLineEdit qtsOwn;
    qtsOwn.setMaxLength(kHuge);
    qtsOwn.setText(QStringLiteral("abc ").repeated(kHuge / 4));
    const double qts = readerQueries(&qtsOwn, 5);
    std::printf("screen reader's queries, message box of 10,000,000 characters: %10.1f us median\n",
                huge);
    std::printf(
        "baseline: the same, message box of 4,096 characters (one piece): %10.1f us median\n",
        piece);
    std::printf("  ratio 10,000,000 / 4,096: %.2f\n", huge / piece);
    std::printf(
        "Qt's own line edit, 10,000,000 ASCII characters                : %10.1f us median\n", qts);
    return 0;
}
