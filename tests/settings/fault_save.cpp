// The board's settings save under fault injection, driven by
// scripts/check-faults.sh. The settings file is DIR/honura.ini.
//
//   fault_save save DIR [--per-key]
//       Saves over and over, the sets A and B in turn, and prints "saving"
//       once the first save is done; runs until it is killed. --per-key
//       writes each key by its own IniPut(), as eight writes.
//   fault_save saves DIR N
//       N saves, the sets A and B in turn; prints how many failed.
//   fault_save clean DIR
//       Removes stale temporary files beside the settings file over and over,
//       as starting boards do; runs until it is killed.
//   fault_save check DIR
//       Prints what the file holds: "A", "B", "mixed" or "absent".
//   fault_save start DIR
//       The board's start-up, then prints the names of the files in DIR other
//       than the settings file, one a line.
//   fault_save session DIR
//       The board's start-up, "started", then waits for a line on its input
//       and closes the board: the shut-down saves. Ends with 0.
#include "board/frmmain.h"
#include "platform/headless/headlessplatform.h"
#include "settings/atomicfile.h"
#include "settings/boardsettings.h"
#include "settings/inifile.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

using namespace honura;

namespace {

BoardSettings set(bool b)
{
    BoardSettings s;
    s.fontName = b ? QStringLiteral("IPAPGothic") : QStringLiteral("ＭＳ Ｐ明朝");
    s.fontSize = b ? 20.5f : 16;
    s.bold = !b;
    s.italic = b;
    s.top = b ? -150 : 1500;
    s.left = b ? 4500 : 3000;
    s.width = b ? 9000 : 6945;
    s.height = b ? 7005 : 5580;
    return s;
}

// Eight writes: one IniPut() a key.
void savePerKey(const QString& path, const BoardSettings& s)
{
    for (const SettingText& t : settingTexts(s))
        IniPut(path, t.section, t.key, t.text);
}

QByteArray bytesOf(const BoardSettings& s)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("honura.ini"));
    saveBoardSettings(path, s);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int usage()
{
    std::fprintf(stderr,
                 "usage: fault_save save|saves|clean|check|start|session DIR [--per-key|N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string mode = argv[1];
    const QString dir = QString::fromLocal8Bit(argv[2]);
    const QString path = QDir(dir).filePath(QStringLiteral("honura.ini"));

    if (mode == "save") {
        const bool perKey = argc > 3 && std::string(argv[3]) == "--per-key";
        for (unsigned long i = 0;; ++i) {
            const BoardSettings s = set(i % 2 == 1);
            if (perKey)
                savePerKey(path, s);
            else
                saveBoardSettings(path, s);
            if (i == 0) {
                std::puts("saving");
                std::fflush(stdout);
            }
        }
    }
    if (mode == "saves") {
        const long n = argc > 3 ? std::atol(argv[3]) : 1000;
        long failed = 0;
        for (long i = 0; i < n; ++i)
            failed += saveBoardSettings(path, set(i % 2 == 1)) ? 0 : 1;
        std::printf("%ld\n", failed);
        return 0;
    }
    if (mode == "clean") {
        for (;;)
            profile::removeStaleTemporaries(path);
    }
    if (mode == "check") {
        QFile f(path);
        if (!f.exists()) {
            std::puts("absent");
            return 0;
        }
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        std::puts(bytes == bytesOf(set(false)) ? "A" : bytes == bytesOf(set(true)) ? "B" : "mixed");
        return 0;
    }
    if (mode != "start" && mode != "session")
        return usage();

    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    auto headless = std::make_unique<HeadlessPlatform>();
    headless->dir = dir;
    setPlatform(std::move(headless));
    FrmMain board;
    if (!board.startUp())
        return 1;
    if (mode == "start") {
        for (const QString& name : QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                       QDir::Hidden | QDir::System))
            if (name != QLatin1String("honura.ini"))
                std::puts(qPrintable(name));
        return 0;
    }
    board.show();
    std::puts("started");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    board.close();
    return 0;
}
