#include "platform/win32/win32platform.h"

#include <QCryptographicHash>

#include <windows.h>

namespace honura {

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform()
{
    if (mutex_)
        CloseHandle(static_cast<HANDLE>(mutex_));
}

// The running instance owns a named mutex derived from the executable's path
// (case-folded, as Windows paths are). The system frees it when the process
// ends in any way, and creation is atomic.
bool Win32Platform::anotherInstanceRunning()
{
    if (mutex_)
        return false;
    const QByteArray key =
        QCryptographicHash::hash(instanceKey().toLower().toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    const std::wstring name = L"Local\\honura-instance-" + QString::fromLatin1(key).toStdWString();
    HANDLE h = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!h)
        return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return true;
    }
    mutex_ = h;
    return false;
}

std::unique_ptr<Platform> createDesktopPlatform() { return std::make_unique<Win32Platform>(); }

} // namespace honura
