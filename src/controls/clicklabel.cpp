#include "controls/clicklabel.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleHints>
#include <cmath>

namespace honura {

namespace {

// The last press of the left button on any ClickLabel. Qt decides double-clicks
// for the whole window, so a quick press on a neighbouring label would reach it
// as a double-click; the labels decide for themselves from this record.
struct LastPress {
    QPointer<const ClickLabel> label;
    quint64 time = 0;
    QPointF pos;
    bool wasDouble = false;
};

LastPress& lastPress()
{
    static LastPress last;
    return last;
}

} // namespace

void ClickLabel::buttonDown(QMouseEvent* e)
{
    e->accept();
    LastPress& last = lastPress();
    const QPointF pos = e->globalPosition();
    if (last.label == this && last.time == e->timestamp() && last.pos == pos)
        return; // the same press, reported as a press and then as a double-click
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPointF d = pos - last.pos;
    const double near = hints->mouseDoubleClickDistance();
    const bool isDouble =
        last.label == this && !last.wasDouble &&
        e->timestamp() - last.time <= quint64(hints->mouseDoubleClickInterval()) &&
        std::abs(d.x()) <= near && std::abs(d.y()) <= near;
    last = {this, e->timestamp(), pos, isDouble};
    pressed_ = !isDouble; // the release that ends a double-click is not a click
    if (isDouble)
        Q_EMIT doubleClicked();
}

void ClickLabel::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        buttonDown(e);
    else
        e->accept();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        buttonDown(e);
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

void ClickLabel::click() { Q_EMIT clicked(); }

void ClickLabel::doubleClickGesture()
{
    Q_EMIT clicked();
    Q_EMIT doubleClicked();
}

void ClickLabel::setChecked(bool on)
{
    if (on == checked_)
        return;
    checked_ = on;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent ev(this, changed);
    QAccessible::updateAccessibility(&ev);
}

bool ClickLabel::clickable() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&ClickLabel::clicked));
}

bool ClickLabel::doubleClickable() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&ClickLabel::doubleClicked));
}

} // namespace honura
