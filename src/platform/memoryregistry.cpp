#include "platform/memoryregistry.h"

#include <algorithm>
#include <cstring>

namespace honura {

namespace {
bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

MemoryRegistry::Key* MemoryRegistry::findKey(std::uint32_t root, const QByteArray& keyPath)
{
    for (Key& k : keys_)
        if (k.root == root && sameName(k.path, keyPath))
            return &k;
    return nullptr;
}

MemoryRegistry::Key& MemoryRegistry::key(std::uint32_t root, const QByteArray& keyPath)
{
    if (Key* k = findKey(root, keyPath))
        return *k;
    keys_.append(Key{root, keyPath, 0xFFFFFFFFu, {}});
    return keys_.last();
}

void MemoryRegistry::setValue(std::uint32_t root, const QByteArray& keyPath,
                              const QByteArray& valueName, std::uint32_t type,
                              const QByteArray& data)
{
    Key& k = key(root, keyPath);
    for (Value& v : k.values) {
        if (sameName(v.name, valueName)) {
            v = Value{valueName, type, data};
            return;
        }
    }
    k.values.append(Value{valueName, type, data});
}

void MemoryRegistry::addKey(std::uint32_t root, const QByteArray& keyPath) { key(root, keyPath); }

void MemoryRegistry::setAllowedAccess(std::uint32_t root, const QByteArray& keyPath,
                                      std::uint32_t access)
{
    key(root, keyPath).allowedAccess = access;
}

void MemoryRegistry::clear()
{
    keys_.clear();
    handles_.clear();
}

long MemoryRegistry::open(std::uint32_t root, const QByteArray& keyPath, std::uint32_t,
                          std::uint32_t access, RegHandle* handle)
{
    const Key* k = findKey(root, keyPath);
    if (!k)
        return kErrorFileNotFound;
    if ((access & ~k->allowedAccess) != 0)
        return kErrorAccessDenied;
    const RegHandle h = nextHandle_++;
    handles_[h] = static_cast<std::size_t>(k - keys_.constData());
    *handle = h;
    return 0;
}

long MemoryRegistry::query(RegHandle handle, const QByteArray& valueName, std::uint32_t* type,
                           unsigned char* data, std::uint32_t* size)
{
    const auto h = handles_.find(handle);
    if (h == handles_.end())
        return kErrorInvalidHandle;
    const QList<Value>& values = keys_.at(static_cast<qsizetype>(h->second)).values;
    const auto v = std::find_if(values.begin(), values.end(),
                                [&](const Value& x) { return sameName(x.name, valueName); });
    if (v == values.end())
        return kErrorFileNotFound;
    const auto needed = static_cast<std::uint32_t>(v->data.size());
    if (type)
        *type = v->type;
    if (!size)
        return 0;
    const std::uint32_t room = *size;
    *size = needed;
    if (!data)
        return 0;
    if (needed > room)
        return kErrorMoreData;
    if (needed > 0)
        std::memcpy(data, v->data.constData(), needed);
    return 0;
}

long MemoryRegistry::close(RegHandle handle)
{
    return handles_.erase(handle) ? 0 : kErrorInvalidHandle;
}

} // namespace honura
