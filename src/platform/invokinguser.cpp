#include "platform/invokinguser.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <grp.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

namespace honura {

Identity identityFrom(unsigned realUid, unsigned effectiveUid, const QString& sudoUid,
                      const QString& sudoGid, const QString& pkexecUid)
{
    Identity id;
    id.uid = realUid;
    if (effectiveUid != 0)
        return id;
    if (realUid != 0) { // a set-user-id program: the real user is the one
        id.other = true;
        return id;
    }
    for (const QString* v : {&sudoUid, &pkexecUid}) {
        bool ok = false;
        const uint uid = v->toUInt(&ok);
        if (ok && uid != 0) {
            id.uid = uid;
            id.other = true;
            bool gidOk = false;
            const uint gid = sudoGid.toUInt(&gidOk);
            if (v == &sudoUid && gidOk)
                id.gid = gid;
            return id;
        }
    }
    return id;
}

#ifdef Q_OS_WIN

AsInvokingUser::AsInvokingUser() = default;
AsInvokingUser::~AsInvokingUser() = default;
unsigned invokingUid() { return 0; }
QString userConfigDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/honura");
}

#else

namespace {

// The identity whose rights the program's file access takes, looked up once.
struct Target {
    bool other = false;
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    QString home; // from the user database; empty when the user has no entry
};

const Target& target()
{
    static const Target t = [] {
        Target r;
        const Identity id =
            identityFrom(::getuid(), ::geteuid(), qEnvironmentVariable("SUDO_UID"),
                         qEnvironmentVariable("SUDO_GID"), qEnvironmentVariable("PKEXEC_UID"));
        if (!id.other)
            return r;
        r.other = true;
        r.uid = id.uid;
        // A user without an entry in the user database gets no group of root's:
        // the one sudo names, else the group of nobody.
        r.gid = id.gid >= 0 ? static_cast<gid_t>(id.gid) : static_cast<gid_t>(65534);
        std::vector<char> buf(16384);
        struct passwd pw {};
        struct passwd* found = nullptr;
        if (::getpwuid_r(r.uid, &pw, buf.data(), buf.size(), &found) == 0 && found) {
            r.gid = pw.pw_gid;
            r.home = QFile::decodeName(pw.pw_dir);
            int n = 64;
            r.groups.resize(static_cast<std::size_t>(n));
            if (::getgrouplist(pw.pw_name, r.gid, r.groups.data(), &n) < 0) {
                r.groups.resize(static_cast<std::size_t>(n));
                ::getgrouplist(pw.pw_name, r.gid, r.groups.data(), &n);
            }
            r.groups.resize(static_cast<std::size_t>(std::max(n, 0)));
        }
        if (r.groups.empty())
            r.groups.push_back(r.gid);
        return r;
    }();
    return t;
}

// How deep this thread is inside AsInvokingUser scopes, whether the outermost
// one took the identity, and the groups the thread had before it.
// (Kept where the end of the thread does not free it: the board's last save
// may run while the program ends.)
thread_local int depth = 0;
thread_local bool taken = false;
thread_local std::vector<gid_t>* savedGroups = nullptr;

// These change the calling thread's credentials only (the C library's own
// setgroups() would change every thread's): the program's other threads keep
// root's.
bool setThreadGroups(const std::vector<gid_t>& groups)
{
    return ::syscall(SYS_setgroups, groups.size(), groups.data()) == 0;
}

bool setThreadFsIds(uid_t uid, gid_t gid)
{
    ::setfsgid(gid);
    ::setfsuid(uid);
    // Each call returns the id in force before it: asking again tells whether it took.
    return static_cast<uid_t>(::setfsuid(uid)) == uid && static_cast<gid_t>(::setfsgid(gid)) == gid;
}

} // namespace

AsInvokingUser::AsInvokingUser()
{
    const Target& t = target();
    if (!t.other)
        return;
    if (depth++ == 0) {
        if (!savedGroups)
            savedGroups = new std::vector<gid_t>;
        savedGroups->resize(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
        const int n = ::getgroups(static_cast<int>(savedGroups->size()), savedGroups->data());
        taken = n >= 0 && setThreadGroups(t.groups) && setThreadFsIds(t.uid, t.gid);
    }
    ok_ = taken;
}

AsInvokingUser::~AsInvokingUser()
{
    if (!target().other || --depth > 0)
        return;
    setThreadFsIds(::geteuid(), ::getegid());
    setThreadGroups(*savedGroups);
}

unsigned invokingUid() { return target().other ? target().uid : ::getuid(); }

QString userConfigDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const Target& t = target();
    // Root's own environment (sudo without -E) names root's folder: the
    // user's is in their home.
    if (t.other && !t.home.isEmpty() &&
        !QDir::cleanPath(dir).startsWith(QDir::cleanPath(t.home) + QLatin1Char('/')))
        dir = t.home + QStringLiteral("/.config");
    return dir + QStringLiteral("/honura");
}

#endif

} // namespace honura
