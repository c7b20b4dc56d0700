// The record as one CR LF text, kept in a document of paragraphs.
#include "record/recordtext.h"

#include <QPlainTextDocumentLayout>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace honura;

class TestRecordText : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void linesAreParagraphs();
    void crThenLfMakeOneLineBreak();
    void appendEqualsReplace();
    void typingBesideAStandIn();
    void appendLeavesNoUndo();
    void longLinesInPieces();
    void editsBetweenPieces();
};

static QString u(const char16_t* s) { return QString::fromUtf16(s); }

void TestRecordText::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("one line") << u(u"あい\r\n");
    QTest::newRow("two lines") << u(u"あい\r\nう\r\n");
    QTest::newRow("no final break") << u(u"あい\r\nう");
    QTest::newRow("empty lines") << u(u"\r\n\r\n\r\n");
    QTest::newRow("lone CR") << u(u"a\rb\r");
    QTest::newRow("lone LF") << u(u"\na\nb");
    QTest::newRow("LF CR") << u(u"a\n\rb");
    QTest::newRow("CR CR LF") << u(u"a\r\r\nb");
    QTest::newRow("paragraph separators") << u(u"a\u2029b\u2028c");
    QTest::newRow("frame marks") << u(u"a\ufdd0b\ufdd1c");
    QTest::newRow("stand-in lookalikes") << u(u"\u240d\u240a\u2424\ufffd");
    QTest::newRow("odd characters") << u(u"\u00a0\t\u0000\U0001F98A\ufffc");
}

void TestRecordText::roundTrip()
{
    QFETCH(QString, text);
    QTextDocument doc;
    recordtext::replace(doc, text);
    QCOMPARE(recordtext::read(doc), text);
}

void TestRecordText::linesAreParagraphs()
{
    QTextDocument doc;
    recordtext::replace(doc, u(u"あい\r\nう\r\n"));
    QCOMPARE(doc.blockCount(), 3);
    QCOMPARE(doc.firstBlock().text(), u(u"あい"));
    QCOMPARE(doc.lastBlock().text(), QString());
    // A lone CR shows as a sign of its own instead of breaking the line.
    recordtext::replace(doc, u(u"a\rb"));
    QCOMPARE(doc.blockCount(), 1);
    QCOMPARE(doc.firstBlock().text(), u(u"a\u240db"));
}

void TestRecordText::crThenLfMakeOneLineBreak()
{
    QTextDocument doc;
    recordtext::append(doc, u(u"a\r"));
    recordtext::append(doc, u(u"\nb"));
    QCOMPARE(recordtext::read(doc), u(u"a\r\nb"));
    QCOMPARE(doc.blockCount(), 2);
    // A CR typed by the user beside a stand-in is no lone CR of the record.
    recordtext::replace(doc, u(u"x\u240d"));
    recordtext::append(doc, u(u"\n"));
    QCOMPARE(recordtext::read(doc), u(u"x\u240d\n"));
}

// Appending piece by piece gives exactly the text that replacing it whole gives.
void TestRecordText::appendEqualsReplace()
{
    const char16_t alphabet[] = {u'a', u'あ', u'\r', u'\n', 0x2029, 0x2028, 0xfdd0, 0xfdd1, 0x240d};
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 200; ++round) {
        QTextDocument doc;
        QString whole;
        const int pieces = rng.bounded(1, 8);
        for (int p = 0; p < pieces; ++p) {
            QString piece;
            const int n = rng.bounded(0, 6);
            for (int i = 0; i < n; ++i)
                piece += QChar(alphabet[rng.bounded(int(std::size(alphabet)))]);
            recordtext::append(doc, piece);
            whole += piece;
        }
        QTextDocument replaced;
        recordtext::replace(replaced, whole);
        QCOMPARE(recordtext::read(doc), whole);
        QCOMPARE(doc.blockCount(), replaced.blockCount());
    }
}

void TestRecordText::typingBesideAStandIn()
{
    QTextDocument doc;
    recordtext::replace(doc, u(u"a\r"));
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("z")); // takes the stand-in's format, as typing does
    c.insertBlock();
    c.insertText(QStringLiteral("y"));
    QCOMPARE(recordtext::read(doc), u(u"a\rz\r\ny"));
}

void TestRecordText::appendLeavesNoUndo()
{
    QTextDocument doc;
    doc.setDocumentLayout(new QPlainTextDocumentLayout(&doc));
    QTextCursor(&doc).insertText(QStringLiteral("typed"));
    QVERIFY(doc.isUndoAvailable());
    recordtext::append(doc, u(u"\r\nあ\r\n"));
    QVERIFY(!doc.isUndoAvailable());
    QVERIFY(doc.isUndoRedoEnabled());
    QCOMPARE(recordtext::read(doc), u(u"typed\r\nあ\r\n"));
}

// A line longer than a piece is held in several paragraphs that read as one
// line, each short; a surrogate pair is never cut in two.
void TestRecordText::longLinesInPieces()
{
    const qsizetype n = recordtext::kPieceLength;
    QString line(n - 1, u'あ');
    line += u(u"\U0001F98A") + QString(2 * n, u'い');
    const QString text = line + u(u"\r\n") + line;
    QTextDocument doc;
    recordtext::replace(doc, text);
    QCOMPARE(recordtext::read(doc), text);
    QCOMPARE(doc.blockCount(), 8);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        QVERIFY(b.length() - 1 <= n && !b.text().endsWith(QChar::highSurrogate(0x1F98A)));
    recordtext::append(doc, u(u"\r\n") + line);
    QCOMPARE(recordtext::read(doc), text + u(u"\r\n") + line);
}

// What the user does in the text box: a line break typed inside a piece breaks
// the line there; a paste goes in at the cursor with its line breaks and long
// lines; a selection across pieces copies the record's own text.
void TestRecordText::editsBetweenPieces()
{
    const qsizetype n = recordtext::kPieceLength;
    const QString line = QString(n, u'a') + QString(n, u'b') + QString(n, u'c');
    QTextDocument doc;
    doc.setDocumentLayout(new QPlainTextDocumentLayout(&doc));
    recordtext::replace(doc, line + u(u"\r\nz"));
    QString expected = line + u(u"\r\nz");

    QTextCursor c(&doc);
    c.setPosition(int(n) + 1 + 10); // inside the second piece, after ten b
    c.insertBlock();
    expected.insert(n + 10, u(u"\r\n"));
    QCOMPARE(recordtext::read(doc), expected);

    const QString pasted = u(u"x\r\ny\rw\n") + QString(n + 7, u'p');
    recordtext::insert(c, pasted);
    const QString inserted = u(u"x\r\ny\r\nw\r\n") + QString(n + 7, u'p');
    expected.insert(n + 12, inserted);
    QCOMPARE(recordtext::read(doc), expected);

    c.setPosition(5);
    c.setPosition(doc.characterCount() - 2, QTextCursor::KeepAnchor);
    QCOMPARE(recordtext::read(c), expected.mid(5, expected.size() - 6));
    // Undone, the paste leaves the record as it was before it.
    doc.undo();
    expected.remove(n + 12, inserted.size());
    QCOMPARE(recordtext::read(doc), expected);
}

QTEST_MAIN(TestRecordText)
#include "test_recordtext.moc"
