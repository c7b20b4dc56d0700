#include "platform/x11/x11platform.h"

#include <QCryptographicHash>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace honura {

X11Platform::X11Platform() = default;

X11Platform::~X11Platform()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

// The running instance holds a socket bound to a name in the abstract socket
// namespace, derived from the user and the executable's canonical path. The
// kernel frees the name when the process ends in any way (a crash included),
// and bind() is atomic, so of two instances started at once exactly one wins.
// No file is created or touched.
bool X11Platform::anotherInstanceRunning()
{
    if (lockFd_ >= 0)
        return false;
    const QByteArray key =
        QCryptographicHash::hash(QByteArray::number(static_cast<qulonglong>(::getuid())) + '\0' +
                                     instanceKey().toUtf8(),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    const QByteArray name = "honura-instance-" + key;

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false; // cannot tell: let the user run the board
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    // addr.sun_path[0] stays NUL: the abstract namespace.
    std::memcpy(addr.sun_path + 1, name.constData(), static_cast<size_t>(name.size()));
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0) {
        lockFd_ = fd;
        return false;
    }
    const bool taken = errno == EADDRINUSE;
    ::close(fd);
    return taken;
}

bool x11DisplayReachable()
{
    const char* display = std::getenv("DISPLAY");
    int screen = 0;
    xcb_connection_t* c = xcb_connect(display, &screen);
    const bool ok = c && !xcb_connection_has_error(c);
    if (c)
        xcb_disconnect(c);
    if (!ok) {
        if (display && *display)
            std::fprintf(stderr, "honura: cannot open the X display \"%s\"\n", display);
        else
            std::fprintf(stderr, "honura: no X display (DISPLAY is not set)\n");
    }
    return ok;
}

std::unique_ptr<Platform> createDesktopPlatform() { return std::make_unique<X11Platform>(); }

} // namespace honura
