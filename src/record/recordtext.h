#pragma once
// The record is one string whose lines end in CR LF; the text box holds it as a
// document of paragraphs. These functions map between the two without loss:
// each CR LF is a paragraph break, and the few characters a document would
// otherwise turn into paragraph breaks of their own (a lone CR or LF, U+2029,
// U+FDD0, U+FDD1) are kept as visible stand-ins marked with the character they
// stand for.

#include <QString>
#include <QStringView>

class QTextDocument;

namespace honura::recordtext {

// The record held by doc.
QString read(const QTextDocument& doc);

// Appends text to the record held by doc, at the cost of the appended text
// only. The record afterwards is exactly read(doc) + text, a CR at the end of
// the record and an LF at the start of text making one line break.
void append(QTextDocument& doc, QStringView text);

// Replaces the record held by doc.
void replace(QTextDocument& doc, QStringView text);

} // namespace honura::recordtext
