#pragma once
// The frame the system put around a top-level widget, as it is now: empty
// until the window has been framed (on X11 only after it is mapped), and empty
// where the window has no frame at all.

#include "platform/platform.h"

#include <QMargins>
#include <QWidget>

namespace honura {

inline QMargins windowFrame(const QWidget* w) { return platform().windowFrame(*w); }

} // namespace honura
