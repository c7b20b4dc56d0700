#pragma once
// A one-line text box for a window's main input. What an input method is
// composing can be finished on demand, before the program changes the text;
// Ctrl+Enter is reported apart from Enter. Assistive technology reads its text
// through an interface of its own (lineeditaccess.cpp) that answers every
// query from a bounded stretch of the text.

#include <QAccessibleInterface>
#include <QElapsedTimer>
#include <QLineEdit>

namespace honura {

class LineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit LineEdit(QWidget* parent = nullptr);

    // True while an input method shows text it has not yet handed over.
    bool composing() const { return !preedit_.isEmpty(); }
    // Ends what the input method is composing: afterwards the composed text,
    // as it was shown, is part of text(). Does nothing when nothing is composed.
    void finishComposition();

    // The place of the character at offset, in the box's coordinates; empty
    // for offsets outside the text.
    QRect characterRect(qsizetype offset) const;

  Q_SIGNALS:
    // Return or Enter pressed with Ctrl (which emits no returnPressed()).
    void ctrlReturnPressed();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

  private:
    QString preedit_;
    bool handedOver_ = false;
    // Composed text the box took itself, which the input method may hand over
    // again shortly after.
    QString lateCopy_;
    QElapsedTimer lateCopyTimer_;
};

// The accessible interface of a LineEdit, for Qt's accessibility
// (lineeditaccess.cpp); every LineEdit installs it.
QAccessibleInterface* lineEditInterface(const QString& key, QObject* o);

} // namespace honura
