#include "record/recordtext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace honura::recordtext {

namespace {

// The character format property that marks a stand-in with the character it replaces.
constexpr int kStandsFor = QTextFormat::UserProperty + 0x5eace;

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

// Inserts one line (no CR LF inside) at the cursor.
void insertLine(QTextCursor& cursor, QStringView line)
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

} // namespace

QString read(const QTextDocument& doc)
{
    QString out;
    out.reserve(doc.characterCount() + doc.blockCount());
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out += QLatin1String("\r\n");
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const char16_t original = standsFor(f);
            if (!original) {
                out += f.text();
                continue;
            }
            // Text typed next to a stand-in takes its format; only the
            // stand-in character itself means the original.
            const QChar mark = standIn(original);
            for (const QChar c : f.text())
                out += c == mark ? QChar(original) : c;
        }
    }
    return out;
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
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        text = text.mid(1);
    }
    for (;;) {
        const qsizetype crlf = text.indexOf(u"\r\n");
        insertLine(cursor, text.left(crlf < 0 ? text.size() : crlf));
        if (crlf < 0)
            break;
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
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

} // namespace honura::recordtext
