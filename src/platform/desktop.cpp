#include "platform/desktop.h"

#include "platform/appinfo.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#ifdef Q_OS_WIN
#include <QTemporaryFile>
#endif

#include <cmath>

namespace honura {

QString DesktopPlatform::programDir() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString DesktopPlatform::programBaseName() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString settingsPathFor(const QString& programDir, const QString& baseName, bool programDirWritable,
                        const QString& userConfigDir)
{
    QString dir = QDir::toNativeSeparators(programDirWritable ? programDir : userConfigDir);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir + baseName + QStringLiteral(".ini");
}

namespace {

bool directoryWritable(const QString& dir)
{
#ifdef Q_OS_WIN
    // Windows grants by access lists that file attributes do not show: ask by trying.
    QTemporaryFile probe(dir + QStringLiteral("/honura-XXXXXX.tmp"));
    return probe.open();
#else
    return QFileInfo(dir).isWritable();
#endif
}

} // namespace

QString DesktopPlatform::settingsPath() const
{
    const QString dir = programDir();
    const bool writable = directoryWritable(dir);
    const QString userDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/honura");
    if (!writable)
        QDir().mkpath(userDir);
    return settingsPathFor(dir, programBaseName(), writable, userDir);
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
