#pragma once
// A label that reports clicks and double-clicks the way the board needs them:
// a click is a press and a release of the left button on the label. A second
// press on the same label within the system's double-click time and distance
// reports a double-click instead, and its release reports nothing. So a
// double-click gesture gives one click, then one double-click, and three quick
// clicks give two clicks. Quick presses on two different labels are two
// clicks: the double-click is decided per label, not per window.

#include <QLabel>

namespace honura {

class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

    // What a click and a double-click gesture do, for the keyboard and for
    // assistive technology: the same signals, in the same order.
    void click();
    void doubleClickGesture();
    // True when something listens to the click or to the double-click.
    bool clickable() const;
    bool doubleClickable() const;
    // Which way what the double-click switches stands; assistive technology
    // reads it as the label's checked state.
    bool isChecked() const { return checked_; }
    void setChecked(bool on);

  Q_SIGNALS:
    void clicked();
    void doubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void buttonDown(QMouseEvent* e);

    bool pressed_ = false;
    bool checked_ = false;
};

} // namespace honura
