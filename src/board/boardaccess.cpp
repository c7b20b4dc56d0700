#include "board/boardaccess.h"

#include "board/boarddef.h"
#include "board/menustrip.h"
#include "controls/clicklabel.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>

namespace honura {

QList<int> cellReadingOrder()
{
    constexpr int columns = 11;
    constexpr int kanaRows = 5;
    QList<int> order;
    const auto add = [&order](int i) {
        if (!boarddef::kCharTable[static_cast<std::size_t>(i)].isEmpty())
            order.append(i);
    };
    for (int col = columns - 1; col >= 0; --col)
        for (int row = 0; row < kanaRows; ++row)
            add(row * columns + col);
    for (int i = kanaRows * columns; i < static_cast<int>(boarddef::kCharTable.size()); ++i)
        add(i);
    return order;
}

void BoardArea::setReadingOrder(const QList<QWidget*>& order)
{
    order_.clear();
    for (QWidget* w : order)
        order_.append(w);
}

QList<QWidget*> BoardArea::readingOrder() const
{
    QList<QWidget*> out;
    for (const QPointer<QWidget>& w : order_)
        if (w && !w->isHidden())
            out.append(w);
    return out;
}

namespace {

// Input reaches a window only while no modal window blocks it; actions of
// assistive technology keep to the same rule.
bool acceptsInput(const QWidget* w)
{
    const QWidget* modal = QApplication::activeModalWidget();
    return w->isEnabled() && (!modal || modal == w->window());
}

// A cell, an answer field or the torii: a label or an image, with a press
// action where a click does something and a toggle action where a
// double-click does (the whole gesture: its click, then its double-click).
class ClickLabelAccessible : public QAccessibleWidget {
  public:
    explicit ClickLabelAccessible(ClickLabel* l)
        : QAccessibleWidget(l,
                            l->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const QString s = QAccessibleWidget::text(t);
        return t == QAccessible::Name && s.isEmpty() ? label()->text() : s;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = label()->doubleClickable();
        s.checked = label()->isChecked();
        return s;
    }
    QStringList actionNames() const override
    {
        QStringList names;
        if (label()->clickable())
            names << pressAction();
        if (label()->doubleClickable())
            names << toggleAction();
        return names;
    }
    void doAction(const QString& name) override
    {
        if (!acceptsInput(label()))
            return;
        if (name == pressAction() && label()->clickable())
            label()->click();
        else if (name == toggleAction() && label()->doubleClickable())
            label()->doubleClickGesture();
    }
    QStringList keyBindingsForAction(const QString& /*name*/) const override { return {}; }

  private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

// A widget whose accessible children are a list of objects it keeps.
class ListAccessible : public QAccessibleWidget {
  public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return static_cast<int>(items().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QObjectList list = items();
        return index >= 0 && index < list.size()
                   ? QAccessible::queryAccessibleInterface(list[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(items().indexOf(child->object())) : -1;
    }

  protected:
    virtual QObjectList items() const = 0;
};

// The board's client area, its children in reading order.
class BoardAreaAccessible : public ListAccessible {
  public:
    explicit BoardAreaAccessible(BoardArea* a) : ListAccessible(a, QAccessible::Client) {}

  protected:
    QObjectList items() const override
    {
        const QList<QWidget*> order = static_cast<BoardArea*>(widget())->readingOrder();
        return {order.begin(), order.end()};
    }
};

// The menu strip: a menu bar whose children are its commands.
class MenuStripAccessible : public ListAccessible {
  public:
    explicit MenuStripAccessible(MenuStrip* s) : ListAccessible(s, QAccessible::MenuBar) {}

  protected:
    QObjectList items() const override
    {
        const QList<QAction*> commands = widget()->actions();
        return {commands.begin(), commands.end()};
    }
};

// One command of the menu strip: a menu item that can be pressed. The command
// runs from the event loop, as its dialogs are modal.
class CommandAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    explicit CommandAccessible(QAction* a) : action_(a) {}

    bool isValid() const override { return action_ && strip(); }
    QObject* object() const override { return action_; }
    QWindow* window() const override
    {
        return strip() ? strip()->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(strip());
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && action_ ? action_->text() : QString();
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = strip()->commandRect(index());
        return {strip()->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        s.focusable = true;
        s.focused = strip()->keyboardMode() && strip()->current() == index();
        s.disabled = !action_->isEnabled();
        s.invisible = !strip()->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid() && acceptsInput(strip()))
            QMetaObject::invokeMethod(action_.data(), &QAction::trigger, Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString& /*name*/) const override { return {}; }

  private:
    MenuStrip* strip() const
    {
        return action_ ? qobject_cast<MenuStrip*>(action_->parent()) : nullptr;
    }
    int index() const { return static_cast<int>(strip()->actions().indexOf(action_.data())); }

    QPointer<QAction> action_;
};

QAccessibleInterface* boardInterface(const QString& key, QObject* o)
{
    if (key == QLatin1String("honura::ClickLabel"))
        return new ClickLabelAccessible(static_cast<ClickLabel*>(o));
    if (key == QLatin1String("honura::BoardArea"))
        return new BoardAreaAccessible(static_cast<BoardArea*>(o));
    if (key == QLatin1String("honura::MenuStrip"))
        return new MenuStripAccessible(static_cast<MenuStrip*>(o));
    if (key == QLatin1String("QAction") && qobject_cast<MenuStrip*>(o->parent()))
        return new CommandAccessible(static_cast<QAction*>(o));
    return nullptr;
}

} // namespace

void installBoardAccessibility()
{
    QAccessible::installFactory(boardInterface); // Qt keeps no factory twice
}

} // namespace honura
