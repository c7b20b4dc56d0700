#pragma once
// The record window's text box: a plain text box whose clipboard and
// drag-and-drop take and give the record's own text (see recordtext.h), so
// that pasting a line of any length keeps the box quick and copying gives the
// lines as they are in the record.

#include <QPlainTextEdit>

namespace honura {

class RecordEdit : public QPlainTextEdit {
  public:
    explicit RecordEdit(QWidget* parent = nullptr);

  protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace honura
