#include "platform/platform.h"

#include <utility>

namespace honura {

namespace {
std::unique_ptr<Platform>& current()
{
    static std::unique_ptr<Platform> p;
    return p;
}
} // namespace

Platform& platform()
{
    auto& p = current();
    Q_ASSERT(p);
    return *p;
}

void setPlatform(std::unique_ptr<Platform> p) { current() = std::move(p); }

} // namespace honura
