#pragma once
// The record is one string whose lines end in CR LF; the text box holds it as a
// document of paragraphs. These functions map between the two without loss:
// each CR LF is a paragraph break, and the few characters a document would
// otherwise turn into paragraph breaks of their own (a lone CR or LF, U+2029,
// U+FDD0, U+FDD1) are kept as visible stand-ins marked with the character they
// stand for.
//
// A line longer than kPieceLength characters is held in several paragraphs,
// each linked to the next, so that no paragraph takes long to lay out however
// long the line: the text box lays a paragraph out as a whole when it shows
// any of it. Two paragraphs are one line when the first names the link the
// second starts with; a paragraph split by the user keeps the links of the
// original on both halves, which never match each other, so the split is a
// line break of the record as it should be.

#include <QString>
#include <QStringView>

class QTextCursor;
class QTextDocument;

namespace honura::recordtext {

// The longest paragraph a line is held in.
inline constexpr qsizetype kPieceLength = 4096;

// The record held by doc.
QString read(const QTextDocument& doc);

// The part of the record that cursor's selection holds.
QString read(const QTextCursor& selection);

// Appends text to the record held by doc, at the cost of the appended text
// only. The record afterwards is exactly read(doc) + text, a CR at the end of
// the record and an LF at the start of text making one line break.
void append(QTextDocument& doc, QStringView text);

// Replaces the record held by doc.
void replace(QTextDocument& doc, QStringView text);

// Text pasted or dropped at the cursor, in place of its selection, as one step
// to undo: as the text box would insert it (CR LF, CR, LF and U+2029 each
// break the line), with its long lines held as above.
void insert(QTextCursor& cursor, QStringView text);

} // namespace honura::recordtext
