#include "platform/registry.h"
#include "platform/win32/win32platform.h"

namespace honura {

// Browser, program start and registry: not built yet.
bool Win32Platform::openUrl(const QString&) { return false; }
bool Win32Platform::startProgram(const QString&) { return false; }
Registry& Win32Platform::registry()
{
    static NullRegistry r;
    return r;
}

} // namespace honura
