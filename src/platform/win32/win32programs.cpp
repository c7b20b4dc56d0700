#include "platform/registry.h"
#include "platform/win32/win32platform.h"

#include <string>

#include <windows.h>

#include <shellapi.h>

namespace honura {

// ---------------------------------------------------------------- browser and programs

// The address goes to the shell's handler for its scheme (the default browser).
bool Win32Platform::openUrl(const QString& url)
{
    if (!browsableUrl(url))
        return false;
    const std::wstring target = url.toStdWString();
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return rc > 32;
}

// Starts the executable itself (no command interpreter), in a normal,
// activated window; the process is not waited for.
bool Win32Platform::startProgram(const QString& path)
{
    if (path.isEmpty())
        return false;
    const std::wstring exe = path.toStdWString();
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// ---------------------------------------------------------------- registry

namespace {

// The system's registry through advapi32.
class SystemRegistry : public Registry {
  public:
    long open(std::uint32_t root, const QByteArray& keyPath, std::uint32_t options,
              std::uint32_t access, RegHandle* handle) override
    {
        // Predefined keys are sign-extended 32-bit values.
        const auto rootKey =
            reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
        HKEY key = nullptr;
        const LONG rc = RegOpenKeyExA(rootKey, keyPath.constData(), options, access, &key);
        *handle = rc == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(key) : 0;
        return rc;
    }
    long query(RegHandle handle, const QByteArray& valueName, std::uint32_t* type,
               unsigned char* data, std::uint32_t* size) override
    {
        DWORD t = 0;
        DWORD n = size ? *size : 0;
        const LONG rc = RegQueryValueExA(reinterpret_cast<HKEY>(handle), valueName.constData(),
                                         nullptr, &t, data, size ? &n : nullptr);
        if (type)
            *type = t;
        if (size)
            *size = n;
        return rc;
    }
    long close(RegHandle handle) override { return RegCloseKey(reinterpret_cast<HKEY>(handle)); }
};

} // namespace

Registry& Win32Platform::registry()
{
    static SystemRegistry r;
    return r;
}

} // namespace honura
