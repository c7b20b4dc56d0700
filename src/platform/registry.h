#pragma once
// The registry calls the system-information launcher relies on, with the
// open / query / close semantics of the Windows registry API. Results are
// 0 on success and a system error code otherwise.

#include <QByteArray>
#include <cstdint>

namespace honura {

using RegHandle = std::uintptr_t;

inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kKeyAllAccess = 0x2003Fu;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

class Registry {
  public:
    virtual ~Registry() = default;
    // RegOpenKeyExA: keyPath and later valueName are in the ANSI code page.
    virtual long open(std::uint32_t root, const QByteArray& keyPath, std::uint32_t options,
                      std::uint32_t access, RegHandle* handle) = 0;
    // RegQueryValueExA: *size holds the buffer size on entry and the data size on return.
    virtual long query(RegHandle handle, const QByteArray& valueName, std::uint32_t* type,
                       unsigned char* data, std::uint32_t* size) = 0;
    // RegCloseKey.
    virtual long close(RegHandle handle) = 0;
};

// A registry with no keys: every open fails (ERROR_FILE_NOT_FOUND).
class NullRegistry : public Registry {
  public:
    long open(std::uint32_t, const QByteArray&, std::uint32_t, std::uint32_t, RegHandle*) override
    {
        return 2;
    }
    long query(RegHandle, const QByteArray&, std::uint32_t*, unsigned char*,
               std::uint32_t*) override
    {
        return 6;
    }
    long close(RegHandle) override { return 0; }
};

} // namespace honura
