#include "platform/win32/win32platform.h"

namespace honura {

// Pointer confinement: not built yet.
bool Win32Platform::clipCursor(const PixelRect*) { return false; }

} // namespace honura
