#pragma once
// What assistive technology (a screen reader) sees of the board: the cells and
// the torii as controls with the actions of a click and of a double-click, the
// board's controls in the order the board is read, blank cells left out, and
// the commands of the menu strip as menu items that can be pressed.

#include <QList>
#include <QPointer>
#include <QWidget>

namespace honura {

// The cell indexes in the order the board is read: the kana column by column
// from the right, each from top to bottom (あ い う え お か …), then the
// numerals 一 to 九. Blank cells are left out.
QList<int> cellReadingOrder();

// The board's client area. Assistive technology gets its controls in the
// order given here; controls not in the order are left out.
class BoardArea : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    void setReadingOrder(const QList<QWidget*>& order);
    QList<QWidget*> readingOrder() const;

  private:
    QList<QPointer<QWidget>> order_;
};

// Makes the interfaces above known to Qt's accessibility; repeated calls do nothing.
void installBoardAccessibility();

} // namespace honura
