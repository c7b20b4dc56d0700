#include "platform/platform.h"

#include <QWidget>
#include <QWindow>

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

QEvent::Type frameChangeEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QMargins Platform::windowFrame(const QWidget& w) const
{
    if (const QWindow* window = w.windowHandle(); window && w.isWindow())
        return window->frameMargins(); // asks the window system again after every change
    const QRect inner = w.geometry();
    const QRect outer = w.frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

bool Platform::inNormalState(const QWidget& w) const
{
    return !(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void Platform::useDialogFrame(QWidget& /*w*/) {}

} // namespace honura
