// What assistive technology sees of a LineEdit: an editable text whose pieces
// (characters, words, sentences, lines) are cut from a bounded stretch of the
// text around the offset asked for (textboundary.h), so that every query is
// answered at once, whatever the script and the length of the text.
#include "controls/lineedit.h"
#include "controls/textboundary.h"

#include <QAccessibleWidget>

namespace honura {

namespace {

class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
  public:
    explicit LineEditAccessible(LineEdit* e) : QAccessibleWidget(e, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(t, text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = edit()->isReadOnly();
        s.editable = !s.readOnly;
        s.selectableText = true;
        return s;
    }

    // Selection and caret.
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = -1;
        if (index == 0 && edit()->hasSelectedText()) {
            *start = edit()->selectionStart();
            *end = edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int /*index*/) override { edit()->deselect(); }
    void setSelection(int /*index*/, int start, int end) override
    {
        edit()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }

    // Text.
    QString text(int start, int end) const override
    {
        const QString t = edit()->text();
        start = std::clamp(start, 0, static_cast<int>(t.size()));
        end = std::clamp(end, start, static_cast<int>(t.size()));
        return t.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override
    {
        return piece(textboundary::before, offset, type, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override
    {
        return piece(textboundary::at, offset, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override
    {
        return piece(textboundary::after, offset, type, start, end);
    }
    // One run without attributes over the whole text: a screen reader reads
    // the text by attribute runs and would find nothing to read in empty ones.
    QString attributes(int /*offset*/, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Geometry.
    QRect characterRect(int offset) const override
    {
        const QRect r = edit()->characterRect(offset);
        return r.isEmpty() ? r : QRect(edit()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint p = edit()->mapFromGlobal(point);
        return edit()->rect().contains(p) ? edit()->cursorPositionAt(p) : -1;
    }
    void scrollToSubstring(int start, int end) override
    {
        edit()->setCursorPosition(end);
        edit()->setCursorPosition(start);
    }

    // Editing.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override
    {
        QString t = edit()->text();
        start = std::clamp(start, 0, static_cast<int>(t.size()));
        end = std::clamp(end, start, static_cast<int>(t.size()));
        edit()->setText(t.replace(start, end - start, text));
    }

  private:
    LineEdit* edit() const { return static_cast<LineEdit*>(widget()); }

    // Offset -2 is the caret and -1 the end of the text, as Qt's own text
    // interfaces read them.
    template <typename Find>
    QString piece(Find find, int offset, QAccessible::TextBoundaryType type, int* start,
                  int* end) const
    {
        const QString t = edit()->text();
        if (offset == -2)
            offset = edit()->cursorPosition();
        else if (offset == -1)
            offset = static_cast<int>(t.size());
        textboundary::Range r{0, t.size()};
        switch (type) {
        case QAccessible::CharBoundary:
            r = find(t, offset, textboundary::Unit::Character);
            break;
        case QAccessible::WordBoundary:
            r = find(t, offset, textboundary::Unit::Word);
            break;
        case QAccessible::SentenceBoundary:
            r = find(t, offset, textboundary::Unit::Sentence);
            break;
        case QAccessible::LineBoundary:
        case QAccessible::ParagraphBoundary:
            r = find(t, offset, textboundary::Unit::Line);
            break;
        case QAccessible::NoBoundary:
            break;
        }
        *start = static_cast<int>(r.start);
        *end = static_cast<int>(r.end);
        return t.mid(r.start, r.end - r.start);
    }
};

} // namespace

QAccessibleInterface* lineEditInterface(const QString& key, QObject* o)
{
    return key == QLatin1String("honura::LineEdit")
               ? new LineEditAccessible(static_cast<LineEdit*>(o))
               : nullptr;
}

} // namespace honura
