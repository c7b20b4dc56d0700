#pragma once
// The program's title and version, as the windows show them.

#include "version.h"

#include <QString>

namespace honura {

inline QString appTitle() { return QStringLiteral("ホヌラ"); }

struct AppVersion {
    int major;
    int minor;
    int revision;
};

// Major, minor and revision: the first, second and fourth numbers of the
// build's version (1.0.0.1 gives 1, 0, 1).
inline constexpr AppVersion appVersion()
{
    return {HONURA_VERSION_MAJOR, HONURA_VERSION_MINOR, HONURA_VERSION_TWEAK};
}

} // namespace honura
