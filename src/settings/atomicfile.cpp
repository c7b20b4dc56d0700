#include "settings/atomicfile.h"

#include "platform/invokinguser.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace honura::profile {

namespace {

constexpr qsizetype kRandomChars = 6;
constexpr QLatin1String kSuffix(".tmp");
// Tries at a free temporary name before giving up.
constexpr int kAttempts = 16;

bool isLetterOrDigit(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

QString temporaryPathFor(const QString& target)
{
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString path = target + QLatin1Char('.');
    for (qsizetype i = 0; i < kRandomChars; ++i)
        path += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)]);
    return path + kSuffix;
}

#ifdef Q_OS_WIN

std::wstring native(const QString& path) { return QDir::toNativeSeparators(path).toStdWString(); }

bool writeAll(HANDLE h, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// The file is opened without sharing while it is written, so that another
// run's removeStaleTemporaries() cannot delete it meanwhile.
bool replace(const QString& target, std::string_view bytes)
{
    const std::wstring dest = native(target);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::wstring tmp = native(temporaryPathFor(target));
        HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        bool ok = writeAll(h, bytes) && FlushFileBuffers(h);
        ok = CloseHandle(h) && ok;
        // Attributes such as hidden stay with the file.
        const DWORD attrs = GetFileAttributesW(dest.c_str());
        if (ok && attrs != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(tmp.c_str(),
                               attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE |
                                        FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
        ok = ok && MoveFileExW(tmp.c_str(), dest.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!ok)
            DeleteFileW(tmp.c_str());
        return ok;
    }
    return false;
}

void removeIfUnused(const QString& path) { DeleteFileW(native(path).c_str()); }

bool writable(const QFileInfo& fi)
{
    return fi.isWritable() && (fi.permissions() & QFileDevice::WriteOwner);
}

#else

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The old file's owner, group and mode, as far as this process may set them.
void keepOwnership(int fd, const struct stat& old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        // Where this process may not give the file away, it stays its own.
        [[maybe_unused]] const int refused = ::fchown(fd, old.st_uid, old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

void syncDirectory(const QByteArray& dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// True when name still refers to the file open as fd.
bool stillNamed(int fd, const QByteArray& name)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(name.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The temporary file is locked while it exists under its name, so that another
// run's removeStaleTemporaries() leaves it alone; the kernel drops the lock of
// a run that dies. A file that another run removed between its creation and
// its lock is given up for a new one.
bool replace(const QString& target, std::string_view bytes)
{
    const QByteArray dest = QFile::encodeName(target);
    const QByteArray dir = QFile::encodeName(QFileInfo(target).absolutePath());
    struct stat old {};
    const bool exists = ::stat(dest.constData(), &old) == 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QByteArray tmp = QFile::encodeName(temporaryPathFor(target));
        const int fd =
            ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (::flock(fd, LOCK_EX) != 0 || !stillNamed(fd, tmp)) {
            ::close(fd);
            continue;
        }
        if (exists)
            keepOwnership(fd, old);
        const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0 &&
                        ::rename(tmp.constData(), dest.constData()) == 0;
        if (!ok)
            ::unlink(tmp.constData());
        ::close(fd);
        if (ok)
            syncDirectory(dir);
        return ok;
    }
    return false;
}

// Asked with the rights file access has now (the invoking user's), not the
// process's real user's as access() would; and never of a file its owner marked
// read-only.
bool writable(const QFileInfo& fi)
{
    const QByteArray name = QFile::encodeName(fi.absoluteFilePath());
    struct stat st {};
    return ::stat(name.constData(), &st) == 0 && (st.st_mode & S_IWUSR) &&
           ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0;
}

void removeIfUnused(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, name))
        ::unlink(name.constData());
    ::close(fd);
}

#endif

// The file a save replaces: the target of a symbolic link, else path itself.
QString replacedFile(const QString& path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.exists() ? fi.canonicalFilePath() : QString();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

} // namespace

bool writeFile(const QString& path, std::string_view bytes)
{
    const AsInvokingUser asUser;
    const QFileInfo fi(path);
    // A read-only file stays as it is, even for a user who could replace it.
    if (!asUser.ok() || (fi.exists() && (!fi.isFile() || !writable(fi))))
        return false;
    return replace(replacedFile(path), bytes);
}

bool isTemporaryName(const QString& name, const QString& fileName)
{
    const qsizetype prefix = fileName.size() + 1;
    if (name.size() != prefix + kRandomChars + kSuffix.size() || !name.startsWith(fileName) ||
        name[fileName.size()] != u'.' || !name.endsWith(kSuffix))
        return false;
    const QStringView random = QStringView(name).mid(prefix, kRandomChars);
    return std::all_of(random.begin(), random.end(), isLetterOrDigit);
}

void removeStaleTemporaries(const QString& path)
{
    const AsInvokingUser asUser;
    if (!asUser.ok())
        return;
    const QFileInfo target(replacedFile(path));
    // The names are compared as they are listed: a wildcard name filter would
    // build a regular expression for every start.
    QDirIterator it(target.absolutePath(), QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        if (isTemporaryName(it.fileName(), target.fileName()))
            removeIfUnused(it.filePath());
    }
}

} // namespace honura::profile
