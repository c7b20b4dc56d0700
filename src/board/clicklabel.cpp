#include "board/clicklabel.h"

#include <QMouseEvent>

namespace honura {

void ClickLabel::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        pressed_ = true;
    e->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const bool click = pressed_ && rect().contains(e->position().toPoint());
    pressed_ = false;
    e->accept();
    if (click)
        Q_EMIT clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    pressed_ = false; // the release that ends a double-click is not a click
    e->accept();
    Q_EMIT doubleClicked();
}

} // namespace honura
