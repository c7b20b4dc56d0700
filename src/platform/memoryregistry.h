#pragma once
// A registry held in memory, with the open / query / close behaviour of the
// system's registry calls: the stand-in of platforms without a registry, and
// the registry of the tests.

#include "platform/registry.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <map>

namespace honura {

// System error codes the registry calls return.
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

class MemoryRegistry : public Registry {
  public:
    // Adds (or replaces) a value; the key is created as needed. Key paths and
    // value names are compared without regard to ASCII case, as the system does.
    void setValue(std::uint32_t root, const QByteArray& keyPath, const QByteArray& valueName,
                  std::uint32_t type, const QByteArray& data);
    // Adds an empty key.
    void addKey(std::uint32_t root, const QByteArray& keyPath);
    // The access rights the key grants; an open asking for more is refused.
    void setAllowedAccess(std::uint32_t root, const QByteArray& keyPath, std::uint32_t access);
    // Removes every key.
    void clear();

    // Handles opened and not closed yet.
    int openHandles() const { return static_cast<int>(handles_.size()); }

    long open(std::uint32_t root, const QByteArray& keyPath, std::uint32_t options,
              std::uint32_t access, RegHandle* handle) override;
    long query(RegHandle handle, const QByteArray& valueName, std::uint32_t* type,
               unsigned char* data, std::uint32_t* size) override;
    long close(RegHandle handle) override;

  private:
    struct Value {
        QByteArray name;
        std::uint32_t type;
        QByteArray data;
    };
    struct Key {
        std::uint32_t root;
        QByteArray path;
        std::uint32_t allowedAccess = 0xFFFFFFFFu;
        QList<Value> values;
    };
    Key* findKey(std::uint32_t root, const QByteArray& keyPath);
    Key& key(std::uint32_t root, const QByteArray& keyPath);

    QList<Key> keys_;
    std::map<RegHandle, std::size_t> handles_; // handle -> index into keys_
    RegHandle nextHandle_ = 0x100;
};

} // namespace honura
