#include "platform/win32/win32platform.h"

#include <QCryptographicHash>

#include <vector>

#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <sddl.h>

namespace honura {

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform()
{
    if (mutex_)
        CloseHandle(static_cast<HANDLE>(mutex_));
}

namespace {

// The process token's information of one class, or nothing.
std::vector<BYTE> tokenInformation(TOKEN_INFORMATION_CLASS kind)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    if (size == 0 || !GetTokenInformation(token, kind, info.data(), size, &size))
        info.clear();
    CloseHandle(token);
    return info;
}

// The user as text (S-1-5-21-...), empty where the system does not tell.
QString userSid()
{
    const std::vector<BYTE> info = tokenInformation(TokenUser);
    wchar_t* text = nullptr;
    if (info.empty() ||
        !ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid, &text))
        return {};
    const QString sid = QString::fromWCharArray(text);
    LocalFree(text);
    return sid;
}

// False when the object is owned by someone other than this process's user or
// the owner it gives the objects it makes; true where the system does not tell
// (Wine gives kernel objects no owner).
bool ownedLikeOurs(HANDLE object)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return true;
    bool ours = owner == nullptr;
    const std::vector<BYTE> user = tokenInformation(TokenUser);
    const std::vector<BYTE> maker = tokenInformation(TokenOwner);
    if (!ours && !user.empty())
        ours = EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    if (!ours && !maker.empty())
        ours = EqualSid(owner, reinterpret_cast<const TOKEN_OWNER*>(maker.data())->Owner);
    LocalFree(sd);
    return ours;
}

} // namespace

// The running instance owns a named mutex in the session's namespace, named
// after the user and the executable's path (case-folded, as Windows paths
// are). The system frees it when the process ends in any way, and creation is
// atomic. A mutex of that name that another user made (and may have kept from
// this user) is never this user's instance.
bool Win32Platform::anotherInstanceRunning()
{
    if (mutex_)
        return false;
    const QByteArray key =
        QCryptographicHash::hash((userSid() + QLatin1Char('\0') + instanceKey().toLower()).toUtf8(),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    const std::wstring name = L"Local\\honura-instance-" + QString::fromLatin1(key).toStdWString();
    HANDLE h = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!h)
        return false; // someone else's, closed to this user: not this user's instance
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        const bool ours = ownedLikeOurs(h);
        CloseHandle(h);
        return ours;
    }
    mutex_ = h;
    return false;
}

std::unique_ptr<Platform> createDesktopPlatform() { return std::make_unique<Win32Platform>(); }

} // namespace honura
