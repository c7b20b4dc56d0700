// Pointer confinement on Windows: ClipCursor.
//
// The clip rectangle is the system's, not the program's: it would outlive a
// program that ended without releasing it. So a crash releases it on the way
// out, and a window of the program that becomes active puts the rectangle back
// in force should the system have dropped it meanwhile.

#include "platform/win32/win32platform.h"

#include <QCoreApplication>
#include <QEvent>
#include <optional>

#include <windows.h>

namespace honura {

namespace {

std::optional<RECT> g_clip; // the rectangle in force, in device pixels
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

LONG WINAPI releaseOnCrash(EXCEPTION_POINTERS* info)
{
    ClipCursor(nullptr);
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

class Reapplier : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (g_clip && e->type() == QEvent::WindowActivate)
            ClipCursor(&*g_clip);
        return QObject::eventFilter(watched, e);
    }
};

void installSafetyNets()
{
    static bool installed = false;
    if (installed || !QCoreApplication::instance())
        return;
    installed = true;
    g_previousFilter = SetUnhandledExceptionFilter(releaseOnCrash);
    auto* reapplier = new Reapplier;
    reapplier->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(reapplier);
}

} // namespace

bool Win32Platform::clipCursor(const PixelRect* rect)
{
    if (!rect) {
        g_clip.reset();
        return ClipCursor(nullptr) != FALSE;
    }
    installSafetyNets();
    const PixelRect d = toDevicePixels(*rect);
    const RECT r{d.left, d.top, d.right, d.bottom};
    g_clip = r;
    return ClipCursor(&r) != FALSE;
}

} // namespace honura
