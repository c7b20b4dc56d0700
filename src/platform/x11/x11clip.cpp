#include "platform/x11/x11platform.h"

namespace honura {

// Pointer confinement: not built yet (record window and possession mode work).
bool X11Platform::clipCursor(const PixelRect*) { return false; }

} // namespace honura
