// The ends of the program that come from outside on Linux: SIGTERM, SIGINT and
// SIGHUP (a logout, kill, a closed terminal), and the board's window destroyed
// by another X client.
#include "platform/x11/x11platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace honura {

namespace {

// A signal handler may do next to nothing: it writes a byte into a pipe, and
// the event loop reads it there.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// Ends the program when the X window of the widget it belongs to is destroyed.
class DestroyWatch : public QObject, public QAbstractNativeEventFilter {
  public:
    DestroyWatch(QWidget* widget, std::function<void()> end)
        : QObject(widget), window_(static_cast<xcb_window_t>(widget->winId())), end_(std::move(end))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
            reinterpret_cast<const xcb_destroy_notify_event_t*>(e)->window == window_) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
            end_();
        }
        return false;
    }

  private:
    xcb_window_t window_;
    std::function<void()> end_;
};

} // namespace

void X11Platform::watchForEnd(QWidget* window, std::function<void()> end)
{
    DesktopPlatform::watchForEnd(window, end);

    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [end] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        end();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction before {};
        // A signal ignored by whoever started the program (nohup, a job in
        // the background) stays ignored.
        if (::sigaction(sig, nullptr, &before) == 0 && before.sa_handler == SIG_IGN &&
            sig != SIGTERM)
            continue;
        ::sigaction(sig, &action, nullptr);
    }

    new DestroyWatch(window, std::move(end));
}

} // namespace honura
