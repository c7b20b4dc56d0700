#include "platform/x11/x11programs.h"

#include "platform/registry.h"
#include "platform/x11/x11platform.h"

#include <QProcess>
#include <QStandardPaths>

namespace honura {

// ---------------------------------------------------------------- browser and programs

// The desktop's own opener first, then Debian's browser alternatives. Each is
// started detached, with the address as its one argument and no shell between.
bool X11Platform::openUrl(const QString& url)
{
    if (!browsableUrl(url))
        return false;
    for (const char* opener : {"xdg-open", "x-www-browser", "sensible-browser"}) {
        const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(opener));
        if (!exe.isEmpty() && QProcess::startDetached(exe, {url}))
            return true;
    }
    return false;
}

bool X11Platform::startProgram(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QProcess::startDetached(path, {});
}

Registry& X11Platform::registry()
{
    static SysInfoRegistry r([](const QString& s) { return platform().toAnsi(s); },
                             [](const QByteArray& b) { return platform().fromAnsi(b); });
    return r;
}

// ---------------------------------------------------------------- registry stand-in

QStringList sysInfoToolNames()
{
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("cpu-x")};
}

SysInfoRegistry::SysInfoRegistry(std::function<QByteArray(const QString&)> toAnsi,
                                 std::function<QString(const QByteArray&)> fromAnsi,
                                 QStringList searchDirs)
    : toAnsi_(std::move(toAnsi)), fromAnsi_(std::move(fromAnsi)), searchDirs_(std::move(searchDirs))
{
}

QString SysInfoRegistry::findTool() const
{
    for (const QString& name : sysInfoToolNames()) {
        QString path = QStandardPaths::findExecutable(name, searchDirs_);
        // A path the code page cannot carry would not survive the lookup.
        if (!path.isEmpty() && fromAnsi_(toAnsi_(path)) == path)
            return path;
    }
    return {};
}

void SysInfoRegistry::refresh()
{
    if (openHandles() > 0)
        return; // keep the keys of a lookup in progress
    clear();
    const QString tool = findTool();
    if (!tool.isEmpty())
        setValue(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", kRegSz,
                 toAnsi_(tool) + '\0');
}

long SysInfoRegistry::open(std::uint32_t root, const QByteArray& keyPath, std::uint32_t options,
                           std::uint32_t access, RegHandle* handle)
{
    refresh();
    return MemoryRegistry::open(root, keyPath, options, access, handle);
}

} // namespace honura
