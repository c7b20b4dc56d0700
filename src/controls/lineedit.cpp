#include "controls/lineedit.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <algorithm>
#include <utility>

namespace honura {

LineEdit::LineEdit(QWidget* parent) : QLineEdit(parent)
{
    QAccessible::installFactory(lineEditInterface); // once: Qt keeps no factory twice
}

// Input methods differ here. Some hand the composed text over when asked to
// commit (ibus); others ignore the request and drop the text when reset
// (fcitx5 5.0): the box then takes the text as it was shown. Some hand the
// same text over once more, later, as they are reset (ibus with Mozc): that
// copy is left out.
void LineEdit::finishComposition()
{
    const QString composed = std::exchange(preedit_, QString());
    if (composed.isEmpty() || QGuiApplication::focusObject() != this)
        return;
    handedOver_ = false;
    QGuiApplication::inputMethod()->commit();
    preedit_.clear();
    lateCopy_ = composed;
    lateCopyTimer_.start();
    if (!handedOver_) {
        QInputMethodEvent taken;
        taken.setCommitString(composed);
        QLineEdit::inputMethodEvent(&taken);
        QGuiApplication::inputMethod()->reset();
    }
}

void LineEdit::inputMethodEvent(QInputMethodEvent* e)
{
    constexpr qint64 kLateCopyMs = 2000;
    if (!e->commitString().isEmpty() || !e->preeditString().isEmpty()) {
        const QString copy = std::exchange(lateCopy_, QString());
        if (e->preeditString().isEmpty() && e->commitString() == copy &&
            lateCopyTimer_.elapsed() < kLateCopyMs) {
            e->accept();
            return;
        }
    }
    if (!e->commitString().isEmpty())
        handedOver_ = true;
    QLineEdit::inputMethodEvent(e);
    preedit_ = e->preeditString();
}

void LineEdit::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & Qt::ControlModifier)) {
        e->accept();
        Q_EMIT ctrlReturnPressed();
        return;
    }
    lateCopy_.clear();
    QLineEdit::keyPressEvent(e);
}

// Measured from the caret, whose place the box knows: only the characters
// between the caret and offset are measured, and no more than a screen's
// width of them (characters farther away are out of sight in any case).
QRect LineEdit::characterRect(qsizetype offset) const
{
    const QString t = text();
    if (offset < 0 || offset >= t.size())
        return {};
    constexpr qsizetype kMeasured = 256;
    const QFontMetrics fm(font());
    const QRect caret = cursorRect();
    const qsizetype caretAt = cursorPosition();
    const qsizetype from = std::min(offset, caretAt);
    const qsizetype count = std::abs(offset - caretAt);
    const QStringView between = QStringView(t).sliced(from, std::min(count, kMeasured));
    int dx = fm.horizontalAdvance(between.toString());
    if (count > kMeasured)
        dx += static_cast<int>((count - kMeasured) * fm.averageCharWidth());
    const int x = caret.center().x() + (offset < caretAt ? -dx : dx);
    const int width = fm.horizontalAdvance(t.mid(offset, 1));
    return {x, caret.top(), std::max(width, 1), caret.height()};
}

} // namespace honura
