#include "platform/desktop.h"

#include "platform/appinfo.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#ifdef Q_OS_WIN
#include <QTemporaryFile>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cmath>

namespace honura {

QString DesktopPlatform::programDir() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString settingsBaseName(const QString& fileName, bool windows)
{
    const QLatin1String exe(".exe");
    if (windows && fileName.endsWith(exe, Qt::CaseInsensitive))
        return fileName.chopped(exe.size());
    return fileName;
}

QString DesktopPlatform::programBaseName() const
{
#ifdef Q_OS_WIN
    constexpr bool windows = true;
#else
    constexpr bool windows = false;
#endif
    return settingsBaseName(QFileInfo(QCoreApplication::applicationFilePath()).fileName(), windows);
}

QString settingsPathFor(const QString& programDir, const QString& baseName, bool besideProgram,
                        const QString& userConfigDir)
{
    QString dir = QDir::toNativeSeparators(besideProgram ? programDir : userConfigDir);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir + baseName + QStringLiteral(".ini");
}

bool programDirHoldsSettings(const QString& dir, bool ownedByInvokingUser, bool writable)
{
    const auto under = [&dir](QLatin1String folder) {
        return dir == folder || dir.startsWith(folder + QLatin1Char('/'));
    };
    return ownedByInvokingUser && writable && !under(QLatin1String("/usr")) &&
           !under(QLatin1String("/opt"));
}

namespace {

#ifdef Q_OS_WIN

// Windows grants by access lists that file attributes do not show: ask by trying.
bool settingsBesideProgram(const QString& dir)
{
    QTemporaryFile probe(dir + QStringLiteral("/honura-XXXXXX.tmp"));
    return probe.open();
}

void makeConfigDir(const QString& dir) { QDir().mkpath(dir); }

#else

// The user who started the program: under sudo or pkexec, the one who ran it.
uid_t invokingUser()
{
    const uid_t uid = ::getuid();
    if (uid != 0)
        return uid;
    for (const char* name : {"SUDO_UID", "PKEXEC_UID"}) {
        bool ok = false;
        const uint other = qEnvironmentVariable(name).toUInt(&ok);
        if (ok)
            return static_cast<uid_t>(other);
    }
    return uid;
}

bool settingsBesideProgram(const QString& dir)
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    struct stat st {};
    if (canonical.isEmpty() || ::stat(QFile::encodeName(canonical).constData(), &st) != 0)
        return false;
    return programDirHoldsSettings(canonical, st.st_uid == invokingUser(),
                                   ::access(QFile::encodeName(canonical).constData(), W_OK) == 0);
}

// Creates dir and its missing parents. Made by root (a run under sudo -E, with
// the user's home), each new folder goes to the owner of the folder it is made
// in, so that the user's configuration stays the user's.
void makeConfigDir(const QString& dir)
{
    QStringList missing;
    for (QFileInfo fi(dir); !fi.exists() && !fi.isRoot(); fi.setFile(fi.absolutePath()))
        missing.prepend(fi.absoluteFilePath());
    for (const QString& d : missing) {
        const QByteArray path = QFile::encodeName(d);
        const QByteArray parent = QFile::encodeName(QFileInfo(d).absolutePath());
        struct stat st {};
        if (!QDir().mkdir(d))
            return;
        if (::geteuid() == 0 && ::stat(parent.constData(), &st) == 0 && st.st_uid != 0) {
            [[maybe_unused]] const int refused = ::chown(path.constData(), st.st_uid, st.st_gid);
        }
    }
}

#endif

} // namespace

QString DesktopPlatform::settingsPath() const
{
    const QString dir = programDir();
    const bool beside = settingsBesideProgram(dir);
    const QString userDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/honura");
    if (!beside)
        makeConfigDir(userDir);
    return settingsPathFor(dir, programBaseName(), beside, userDir);
}

static double twipsPerPixel(bool horizontal)
{
    const QScreen* s = QGuiApplication::primaryScreen();
    const double dpi =
        s ? (horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY()) : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double DesktopPlatform::twipsPerPixelX() const { return twipsPerPixel(true); }
double DesktopPlatform::twipsPerPixelY() const { return twipsPerPixel(false); }

void DesktopPlatform::messageBox(const QString& text, int style, const QString& caption)
{
    QMessageBox box(style == MsgCritical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption.isEmpty() ? appTitle() : caption, text, QMessageBox::Ok);
    box.exec();
}

void DesktopPlatform::setAppCursor(const QCursor* cursor)
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (cursor)
        QGuiApplication::setOverrideCursor(*cursor);
}

bool DesktopPlatform::fileExists(const QString& path) const
{
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile();
}

PixelRect toDevicePixels(const PixelRect& r)
{
    const QPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const QScreen* s = QGuiApplication::screenAt(centre);
    if (!s)
        s = QGuiApplication::primaryScreen();
    const qreal dpr = s ? s->devicePixelRatio() : 1.0;
    if (dpr == 1.0)
        return r;
    const auto n = [dpr](std::int32_t v) {
        return static_cast<std::int32_t>(std::lround(v * dpr));
    };
    return {n(r.left), n(r.top), n(r.right), n(r.bottom)};
}

QString DesktopPlatform::instanceKey() const
{
    const QFileInfo fi(QCoreApplication::applicationFilePath());
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

bool browsableUrl(const QString& url)
{
    const QUrl u(url, QUrl::StrictMode);
    return u.isValid() && !u.host().isEmpty() &&
           (u.scheme() == QLatin1String("http") || u.scheme() == QLatin1String("https"));
}

} // namespace honura
