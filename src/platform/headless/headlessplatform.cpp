#include "platform/headless/headlessplatform.h"

#include "platform/cp932.h"
#include "platform/registry.h"

namespace honura {

QString HeadlessPlatform::settingsPath() const
{
    return dir + QLatin1Char('/') + baseName + QStringLiteral(".ini");
}

void HeadlessPlatform::messageBox(const QString& text, int style, const QString& caption)
{
    messages.append({text, style, caption});
}

void HeadlessPlatform::setAppCursor(const QCursor* cursor)
{
    if (cursor)
        appCursor = *cursor;
    else
        appCursor.reset();
}

bool HeadlessPlatform::clipCursor(const PixelRect* rect)
{
    clipCalls.append(rect ? ClipCall(*rect) : ClipCall());
    clipped = rect ? std::optional<PixelRect>(*rect) : std::nullopt;
    return true;
}

bool HeadlessPlatform::openUrl(const QString& url)
{
    openedUrls.append(url);
    return true;
}

bool HeadlessPlatform::startProgram(const QString& path)
{
    startedPrograms.append(path);
    return startSucceeds && !path.isEmpty(); // there is no program without a name
}

bool HeadlessPlatform::fileExists(const QString& path) const
{
    return existingFiles.contains(path);
}

Registry& HeadlessPlatform::registry()
{
    static NullRegistry none;
    return fakeRegistry ? *fakeRegistry : none;
}

// The same conversion as the desktop backend of this system.
QByteArray HeadlessPlatform::toAnsi(const QString& text) const { return cp932::encodeLossy(text); }
QString HeadlessPlatform::fromAnsi(const QByteArray& bytes) const
{
    return cp932::decodeLossy(bytes);
}

} // namespace honura
