// honura: a spirit board for the desktop.

#include "board/boardfont.h"
#include "board/frmmain.h"
#include "board/qttranslation.h"
#include "platform/appinfo.h"
#include "platform/platform.h"
#ifndef Q_OS_WIN
#include "platform/x11/x11platform.h"
#endif

#include <QApplication>

#include <cstdlib>

int main(int /*argc*/, char** argv)
{
    // The program takes no arguments: whatever is given is ignored. Only the
    // program name is handed to Qt, so that Qt does not act on options either.
    char* qtArgv[] = {argv[0], nullptr, nullptr, nullptr};
    int qtArgc = 1;
#ifndef Q_OS_WIN
    // The board saves and restores its screen position, which needs X11 (on
    // Wayland desktops through XWayland), unless the user chose another
    // platform. The choice goes to Qt as an option, not through the
    // environment, which programs started from the About window inherit.
    static char platformOption[] = "-platform";
    static char xcb[] = "xcb";
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (chosen.isEmpty()) {
        qtArgv[qtArgc++] = platformOption;
        qtArgv[qtArgc++] = xcb;
    }
    if ((chosen.isEmpty() || chosen == "xcb") && !honura::x11DisplayReachable())
        return 1;
#endif
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("honura"));
    // No application display name: Qt would append it to every window title
    // that does not end in it ("ホヌラのﾊﾞｰｼﾞｮﾝ情報 — ホヌラ").
    // Qt's standard dialogs and context menus in Japanese, like the rest of
    // the interface; without the translation they stay in English.
    honura::loadQtTranslation(app);
    // Where the Windows faces of the board are absent, show the IPA faces.
    honura::registerFaceSubstitutes();

    honura::setPlatform(honura::createDesktopPlatform());

    // The board carries the program icon and gives it to the application.
    honura::FrmMain board;
    if (!board.startUp())
        return 1;
    board.show();
    // Ended from outside, the board closes as its quit command does.
    honura::platform().watchForEnd(&board, [&board] { board.close(); });
    // Where the X server goes away, Qt ends the program with exit(): the board
    // saves what it can on the way out.
    static honura::FrmMain* running = &board;
    std::atexit([] {
        if (running)
            running->shutDown();
    });
    const int status = QApplication::exec();
    // A quit without a close (the session manager's last word) saves too.
    board.shutDown();
    running = nullptr;
    return status;
}
