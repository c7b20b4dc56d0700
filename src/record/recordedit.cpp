#include "record/recordedit.h"

#include "record/recordtext.h"

#include <QMimeData>

namespace honura {

RecordEdit::RecordEdit(QWidget* parent) : QPlainTextEdit(parent) {}

QMimeData* RecordEdit::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(recordtext::read(textCursor()));
    return data;
}

void RecordEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    recordtext::insert(cursor, source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace honura
