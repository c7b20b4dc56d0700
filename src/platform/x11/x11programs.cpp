#include "platform/registry.h"
#include "platform/x11/x11platform.h"

namespace honura {

// Browser, program start and the registry stand-in: not built yet (About window work).

bool X11Platform::openUrl(const QString&) { return false; }
bool X11Platform::startProgram(const QString&) { return false; }
Registry& X11Platform::registry()
{
    static NullRegistry r;
    return r;
}

} // namespace honura
