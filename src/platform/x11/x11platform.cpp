#include "platform/x11/x11platform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace honura {

X11Platform::X11Platform() = default;

X11Platform::~X11Platform()
{
    for (const int fd : {lockFd_, socketFd_})
        if (fd >= 0)
            ::close(fd);
}

namespace {

// The user's runtime folder ($XDG_RUNTIME_DIR) where it is what it must be: a
// folder of this user's that nobody else may enter. Empty otherwise.
QByteArray ownRuntimeDir()
{
    QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!dir.startsWith('/') || ::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return {};
    return dir;
}

sockaddr_un abstractAddress(const QByteArray& name, socklen_t* len)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    // addr.sun_path[0] stays NUL: the abstract namespace.
    std::memcpy(addr.sun_path + 1, name.constData(), static_cast<size_t>(name.size()));
    *len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return addr;
}

// True when the socket bound to the abstract name belongs to a process of this
// user. A name bound but not yet listening may be an instance that is starting:
// it is asked again for a moment before it counts as someone else's.
bool heldByThisUser(const QByteArray& name)
{
    socklen_t len = 0;
    const sockaddr_un addr = abstractAddress(name, &len);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0) {
            ucred peer{};
            socklen_t size = sizeof peer;
            const bool mine = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
                              peer.uid == ::getuid();
            ::close(fd);
            return mine;
        }
        const int error = errno;
        ::close(fd);
        if (error != ECONNREFUSED && error != EAGAIN)
            return false;
        ::usleep(10 * 1000);
    }
    return false;
}

} // namespace

// The running instance holds two marks that the kernel drops when the process
// ends in any way (a crash included), each taken in one atomic step, so that
// of two instances started at once exactly one wins:
//  - a lock on a file in the user's runtime folder, which no other user can
//    enter, where there is such a folder;
//  - a socket bound to a name in the abstract namespace, derived from the user
//    and the executable's canonical path, for runs without that folder. Every
//    user shares that namespace: a name bound by a process of another user is
//    never this user's instance.
bool X11Platform::anotherInstanceRunning()
{
    if (lockFd_ >= 0 || socketFd_ >= 0)
        return false;
    const QByteArray key =
        QCryptographicHash::hash(QByteArray::number(static_cast<qulonglong>(::getuid())) + '\0' +
                                     instanceKey().toUtf8(),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(32);

    if (const QByteArray dir = ownRuntimeDir(); !dir.isEmpty()) {
        const QByteArray path = dir + "/honura-" + key + ".lock";
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const bool held = errno == EWOULDBLOCK;
                ::close(fd);
                if (held)
                    return true;
            } else {
                lockFd_ = fd;
            }
        }
    }

    const QByteArray name = "honura-instance-" + key;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false; // cannot tell: let the user run the board
    socklen_t len = 0;
    const sockaddr_un addr = abstractAddress(name, &len);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0 &&
        ::listen(fd, SOMAXCONN) == 0) {
        socketFd_ = fd;
        // Later starts that ask who holds the name are answered and let go.
        auto* callers =
            new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(callers, &QSocketNotifier::activated, [fd] {
            for (int caller; (caller = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
                ::close(caller);
        });
        return false;
    }
    const bool taken = errno == EADDRINUSE;
    ::close(fd);
    if (taken && heldByThisUser(name)) {
        if (lockFd_ >= 0)
            ::close(lockFd_);
        lockFd_ = -1;
        return true;
    }
    return false;
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
