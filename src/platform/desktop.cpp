#include "platform/desktop.h"

#include "platform/appinfo.h"
#include "platform/invokinguser.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QUrl>
#ifdef Q_OS_WIN
#include <QTemporaryFile>
#else
#include <fcntl.h>
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

#else

// Called as the invoking user: the folder must be theirs and writable by them.
bool settingsBesideProgram(const QString& dir)
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    const QByteArray path = QFile::encodeName(canonical);
    struct stat st {};
    if (canonical.isEmpty() || ::stat(path.constData(), &st) != 0)
        return false;
    return programDirHoldsSettings(canonical, st.st_uid == invokingUid(),
                                   ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0);
}

#endif

bool isFile(const QString& path)
{
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile();
}

} // namespace

QString settingsReadPathFor(const QString& writePath, const QString& besidePath,
                            bool writePathExists, bool besideExists)
{
    return writePathExists || !besideExists ? writePath : besidePath;
}

QString DesktopPlatform::settingsPath() const
{
    const AsInvokingUser asUser;
    const QString dir = programDir();
    const bool beside = asUser.ok() && settingsBesideProgram(dir);
    const QString userDir = userConfigDir();
    if (!beside && asUser.ok())
        QDir().mkpath(userDir);
    return settingsPathFor(dir, programBaseName(), beside, userDir);
}

QString DesktopPlatform::settingsReadPath() const
{
    QString path = settingsPath();
    const QString beside = settingsPathFor(programDir(), programBaseName(), true, QString());
    if (path == beside)
        return path;
    const AsInvokingUser asUser;
    return settingsReadPathFor(path, beside, asUser.ok() && QFileInfo::exists(path),
                               asUser.ok() && isFile(beside));
}

// The session manager's request to save before the session ends (Windows:
// the end of the session) closes the board.
void DesktopPlatform::watchForEnd(QWidget* window, std::function<void()> end)
{
#if QT_CONFIG(sessionmanager)
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, window,
                     [end](QSessionManager&) { end(); });
#else
    Q_UNUSED(window);
    Q_UNUSED(end);
#endif
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

bool DesktopPlatform::fileExists(const QString& path) const { return isFile(path); }

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
