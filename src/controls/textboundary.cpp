#include "controls/textboundary.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace honura::textboundary {

namespace {

// The k-th border between pieces: a multiple of kPiece, moved on by one where
// it would part a surrogate pair.
qsizetype border(QStringView t, qsizetype k)
{
    const qsizetype b = k * kPiece;
    if (b >= t.size())
        return t.size();
    return b > 0 && t[b].isLowSurrogate() && t[b - 1].isHighSurrogate() ? b + 1 : b;
}

// The line, or the piece of a long line, that holds offset (0 <= offset < size),
// with its line feed.
Range lineAt(QStringView t, qsizetype offset)
{
    qsizetype k = offset / kPiece;
    if (offset < border(t, k))
        --k;
    const qsizetype first = border(t, k);
    const QStringView piece = t.sliced(first, border(t, k + 1) - first);
    const qsizetype local = offset - first;
    const qsizetype feedBefore = local == 0 ? -1 : piece.lastIndexOf(u'\n', local - 1);
    const qsizetype feedAt = piece.indexOf(u'\n', local);
    return {first + feedBefore + 1, first + (feedAt < 0 ? piece.size() : feedAt + 1)};
}

// The segment that holds offset, as the Unicode rules of the given kind cut
// the line that holds it.
Range segmentAt(QStringView t, qsizetype offset, QTextBoundaryFinder::BoundaryType type)
{
    const Range line = lineAt(t, offset);
    const QStringView s = t.sliced(line.start, line.end - line.start);
    QTextBoundaryFinder finder(type, s.data(), s.size());
    const qsizetype local = offset - line.start;
    finder.setPosition(local);
    const qsizetype start = finder.isAtBoundary() ? local : finder.toPreviousBoundary();
    finder.setPosition(local);
    const qsizetype end = finder.toNextBoundary();
    return {line.start + std::max<qsizetype>(start, 0), end < 0 ? line.end : line.start + end};
}

} // namespace

Range at(QStringView text, qsizetype offset, Unit unit)
{
    const qsizetype n = text.size();
    offset = std::clamp<qsizetype>(offset, 0, n);
    if (unit == Unit::Character && offset == n)
        return {n, n};
    if (n == 0)
        return {0, 0};
    offset = std::min(offset, n - 1); // at the end: the last word, sentence or line
    switch (unit) {
    case Unit::Character:
        return segmentAt(text, offset, QTextBoundaryFinder::Grapheme);
    case Unit::Word:
        return segmentAt(text, offset, QTextBoundaryFinder::Word);
    case Unit::Sentence:
        return segmentAt(text, offset, QTextBoundaryFinder::Sentence);
    case Unit::Line:
        break;
    }
    return lineAt(text, offset);
}

Range before(QStringView text, qsizetype offset, Unit unit)
{
    const Range here = at(text, offset, unit);
    return here.start == 0 ? Range{} : at(text, here.start - 1, unit);
}

Range after(QStringView text, qsizetype offset, Unit unit)
{
    const Range here = at(text, offset, unit);
    return here.end >= text.size() ? Range{text.size(), text.size()} : at(text, here.end, unit);
}

} // namespace honura::textboundary
