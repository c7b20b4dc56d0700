#include "record/recordtext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace honura::recordtext {

namespace {

// The character format property that marks a stand-in with the character it replaces.
constexpr int kStandsFor = QTextFormat::UserProperty + 0x5eace;
// The block format properties that link the paragraphs of one line: the link a
// paragraph starts with, and the one it ends with (zero: none).
constexpr int kLinkIn = QTextFormat::UserProperty + 0x5eacf;
constexpr int kLinkOut = QTextFormat::UserProperty + 0x5ead0;

constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';

// The characters a document cannot hold inside a paragraph.
bool needsStandIn(char16_t c)
{
    return c == kCR || c == kLF || c == 0x2029 || c == 0xfdd0 || c == 0xfdd1;
}

// What the text box shows in their place.
QChar standIn(char16_t c)
{
    switch (c) {
    case kCR:
        return QChar(0x240d); // ␍
    case kLF:
        return QChar(0x240a); // ␊
    case 0x2029:
        return QChar(0x2424); // ␤
    default:
        return QChar(0xfffd);
    }
}

QTextCharFormat standInFormat(char16_t c)
{
    QTextCharFormat f;
    f.setProperty(kStandsFor, static_cast<int>(c));
    return f;
}

// Inserts part of a line (no line break inside) at the cursor.
void insertRun(QTextCursor& cursor, QStringView line)
{
    const QTextCharFormat plain;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        if (!needsStandIn(c))
            continue;
        if (i > runStart)
            cursor.insertText(line.mid(runStart, i - runStart).toString(), plain);
        cursor.insertText(QString(standIn(c)), standInFormat(c));
        runStart = i + 1;
    }
    if (line.size() > runStart)
        cursor.insertText(line.mid(runStart).toString(), plain);
}

int linkOut(const QTextBlock& b) { return b.blockFormat().intProperty(kLinkOut); }

// True when the paragraph next continues the line of paragraph b.
bool continues(const QTextBlock& b, const QTextBlock& next)
{
    const int link = linkOut(b);
    return link != 0 && next.blockFormat().intProperty(kLinkIn) == link;
}

// Ends the cursor's paragraph at the cursor. The paragraph after it carries the
// link the split one ended with, so that a line it was a piece of goes on
// after it; it starts with link, which joins it to the line before when that
// one ends with the same link.
void breakParagraph(QTextCursor& cursor, int link = 0)
{
    QTextBlockFormat next;
    next.setProperty(kLinkIn, link);
    next.setProperty(kLinkOut, linkOut(cursor.block()));
    if (link != 0) {
        QTextBlockFormat current = cursor.blockFormat();
        current.setProperty(kLinkOut, link);
        cursor.setBlockFormat(current);
    }
    cursor.insertBlock(next, QTextCharFormat());
}

// Inserts one line (no line break inside) at the cursor, in paragraphs of at
// most kPieceLength characters where the line is longer; a surrogate pair
// stays in one paragraph.
void insertLine(QTextCursor& cursor, QStringView line)
{
    static int lastLink = 0;
    while (line.size() > kPieceLength) {
        qsizetype cut = kPieceLength;
        if (line[cut - 1].isHighSurrogate())
            --cut;
        insertRun(cursor, line.left(cut));
        lastLink = lastLink == std::numeric_limits<int>::max() ? 1 : lastLink + 1;
        breakParagraph(cursor, lastLink);
        line = line.mid(cut);
    }
    insertRun(cursor, line);
}

// The character a stand-in of this fragment replaces, or 0 for ordinary text.
char16_t standsFor(const QTextFragment& fragment)
{
    const QVariant v = fragment.charFormat().property(kStandsFor);
    return v.isValid() ? static_cast<char16_t>(v.toInt()) : 0;
}

// True when the record ends in a lone CR.
bool endsInCR(const QTextDocument& doc)
{
    const QTextBlock last = doc.lastBlock();
    QTextFragment tail;
    for (auto it = last.begin(); !it.atEnd(); ++it)
        tail = it.fragment();
    return tail.isValid() && standsFor(tail) == kCR && tail.text().endsWith(standIn(kCR));
}

// The record between two positions of doc.
QString readRange(const QTextDocument& doc, int from, int to)
{
    QString out;
    out.reserve(to - from + doc.blockCount());
    const QTextBlock first = doc.findBlock(from);
    QTextBlock previous;
    for (QTextBlock b = first; b.isValid() && b.position() <= to; b = b.next()) {
        if (previous.isValid() && !continues(previous, b))
            out += QLatin1String("\r\n");
        previous = b;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int begin = std::max(from, f.position());
            const int end = std::min(to, f.position() + f.length());
            if (begin >= end)
                continue;
            const QString text = f.text().mid(begin - f.position(), end - begin);
            const char16_t original = standsFor(f);
            if (!original) {
                out += text;
                continue;
            }
            // Text typed next to a stand-in takes its format; only the
            // stand-in character itself means the original.
            const QChar mark = standIn(original);
            for (const QChar c : text)
                out += c == mark ? QChar(original) : c;
        }
    }
    return out;
}

} // namespace

QString read(const QTextDocument& doc) { return readRange(doc, 0, doc.characterCount() - 1); }

QString read(const QTextCursor& selection)
{
    if (!selection.hasSelection() || !selection.document())
        return {};
    return readRange(*selection.document(), selection.selectionStart(), selection.selectionEnd());
}

void append(QTextDocument& doc, QStringView text)
{
    if (text.isEmpty())
        return;
    // A replaced text has no undo history; neither has an appended one.
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);

    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (text.startsWith(kLF) && endsInCR(doc)) {
        cursor.deletePreviousChar();
        breakParagraph(cursor);
        text = text.mid(1);
    }
    for (;;) {
        const qsizetype crlf = text.indexOf(u"\r\n");
        insertLine(cursor, text.left(crlf < 0 ? text.size() : crlf));
        if (crlf < 0)
            break;
        breakParagraph(cursor);
        text = text.mid(crlf + 2);
    }
    cursor.endEditBlock();

    doc.setUndoRedoEnabled(undo);
}

void replace(QTextDocument& doc, QStringView text)
{
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    append(doc, text);
    doc.setUndoRedoEnabled(undo);
}

void insert(QTextCursor& cursor, QStringView text)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (qsizetype i = 0;;) {
        qsizetype end = i;
        while (end < text.size() && text[end] != kCR && text[end] != kLF && text[end] != u'\u2029')
            ++end;
        insertLine(cursor, text.mid(i, end - i));
        if (end == text.size())
            break;
        breakParagraph(cursor);
        i = end + (text.mid(end).startsWith(u"\r\n") ? 2 : 1);
    }
    cursor.endEditBlock();
}

} // namespace honura::recordtext
