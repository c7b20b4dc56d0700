#pragma once
// The board's menu bar: a row of plain commands, none with a drop-down. Where
// the window is too narrow for one row, the commands wrap onto further rows as
// a native menu bar does, so that none is ever hidden. Drawn by the widget
// style as its menu bars are, framed under the pointer and sunken while held
// down; the mouse triggers a command on release over it, or where it was
// pressed when the window has moved under the pointer. The keyboard reaches
// the strip with Alt or F10 (then the arrow keys, Enter or Space, Esc) and
// leaves it, back where it was, with Esc, Alt, F10, a click elsewhere or the
// window losing the focus.

#include <QList>
#include <QMargins>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QAction;
class QStyleOptionMenuItem;

namespace honura {

// Places of items of the given sizes in a strip of the given width: left to
// right on rows of the tallest item's height; an item that does not fit
// starts a new row, and every row holds at least one item.
QList<QRect> flowRows(const QList<QSize>& sizes, int width, const QMargins& margins, int spacing);

// The first row, in a widget's coordinates, that a line one pixel wide drawn
// along row y covers on a screen of the given device pixel ratio (at 2, the
// lower half of the row above).
qreal lineTop(int y, qreal dpr);

class MenuStrip : public QWidget {
    Q_OBJECT
  public:
    explicit MenuStrip(QWidget* parent = nullptr);

    // Adds a plain command at the end of the strip.
    QAction* addCommand(const QString& text);
    // The command's place in the strip's coordinates, for the current width.
    QRect commandRect(int index) const;
    bool keyboardMode() const { return keyboard_; }
    // The highlighted command, or -1.
    int current() const { return current_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    void takeMenuBarLook();
    const QList<QSize>& itemSizes() const;
    bool styleUnderlinesItems() const;
    QList<QRect> placesFor(int width) const;
    QMargins stripMargins() const;
    QSize wrapSize(int rowsHeight) const;
    void initItemOption(QStyleOptionMenuItem* opt, int index) const;
    int commandAt(const QPoint& p) const;
    void setCurrent(int index);
    void setKeyboardMode(bool on);
    void trigger(int index);

    mutable QList<QSize> sizes_;
    mutable bool sizesValid_ = false;
    mutable bool underlined_ = false;
    int current_ = -1;
    bool pressed_ = false;
    QPointF pressedAt_; // the pointer's place on the screen at the press
    bool keyboard_ = false;
    bool altAlone_ = false;
    QPointer<QWidget> focusBefore_;
};

} // namespace honura
