#pragma once
// A label that reports clicks and double-clicks the way the board needs them:
// a click is a press and a release of the left button on the label; the second
// press of a double-click reports a double-click instead, and its release
// reports nothing. So a double-click gesture gives one click, then one
// double-click, and three quick clicks give two clicks.

#include <QLabel>

namespace honura {

class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  Q_SIGNALS:
    void clicked();
    void doubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    bool pressed_ = false;
};

} // namespace honura
