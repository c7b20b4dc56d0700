#pragma once
// The pieces of a text that assistive technology reads: the character, word,
// sentence or line that holds an offset, and the piece before or after it.
// Every answer is worked out from a bounded stretch of the text around the
// offset, so that it costs no more in a message of ten million characters than
// in one of a few thousand: a line longer than kPiece characters is read in
// pieces of kPiece characters, as if the text box wrapped it there.

#include <QStringView>

namespace honura::textboundary {

enum class Unit { Character, Word, Sentence, Line };

// A stretch of the text, from start up to end (not included).
struct Range {
    qsizetype start = 0;
    qsizetype end = 0;
    friend bool operator==(const Range&, const Range&) = default;
};

inline constexpr qsizetype kPiece = 4096;

// The piece that holds offset. Offsets are clamped to the text. At the end of
// the text the character is empty and the word, sentence or line is the last
// one; an empty text has only the empty range {0, 0}.
Range at(QStringView text, qsizetype offset, Unit unit);
// The piece before the one at offset, or {0, 0} at the start of the text.
Range before(QStringView text, qsizetype offset, Unit unit);
// The piece after the one at offset, or the empty range at the end of the text.
Range after(QStringView text, qsizetype offset, Unit unit);

} // namespace honura::textboundary
