#pragma once
// The frame the window manager put around a top-level widget: empty until the
// window has been framed (on X11 only after it is mapped), and empty where the
// window has no frame at all.

#include <QMargins>
#include <QWidget>

namespace honura {

inline QMargins windowFrame(const QWidget* w)
{
    const QRect inner = w->geometry();
    const QRect outer = w->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace honura
