// Reading registry values and finding the system-information tool, over an
// in-memory registry on the headless backend.
#include "about/frmabout.h"
#include "about/regvalue.h"
#include "platform/memoryregistry.h"
#include "testmain.h"

using namespace honura;

namespace {

const QByteArray kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray kDirKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString kNotAvailable = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");

QByteArray le32(std::uint32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    return b;
}

} // namespace

class TestSysInfo : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void decodeText_data();
    void decodeText();
    void decodeNumber();

    void textWithAndWithoutNul();
    void bufferBoundary();
    void numberValue();
    void otherTypeKeepsValue();
    void keyThatCannotBeOpened();
    void missingValueClosesKey();

    void firstSourceWinsAlone();
    void secondSourceOnlyWithItsFile();
    void otherTypeUnderPathEndsInMessage();
    void failingStartEndsInMessage();
    void nothingFoundEndsInMessage();

  private:
    bool read(const QByteArray& key, const QByteArray& value, QString& out)
    {
        return frmAbout::GetKeyValue(kHkeyLocalMachine, QString::fromLatin1(key),
                                     QString::fromLatin1(value), out);
    }
    void expectMessageOnly()
    {
        QCOMPARE(fake_->messages.size(), 1);
        QCOMPARE(fake_->messages[0].text, kNotAvailable);
        QCOMPARE(fake_->messages[0].style, int(MsgOkOnly));
        QVERIFY(fake_->messages[0].caption.isEmpty()); // the application title
    }

    MemoryRegistry reg_;
    HeadlessPlatform* fake_ = nullptr;
};

void TestSysInfo::init()
{
    reg_.clear();
    fake_ = &test::resetPlatform();
    fake_->fakeRegistry = &reg_;
}

// Every lookup gives its key back, whatever its outcome.
void TestSysInfo::cleanup() { QCOMPARE(reg_.openHandles(), 0); }

void TestSysInfo::decodeText_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("with NUL") << QByteArray("C:\\x.exe\0", 9) << QByteArray("C:\\x.exe");
    QTest::newRow("without NUL") << QByteArray("C:\\x.exe") << QByteArray("C:\\x.exe");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("only NUL") << QByteArray("\0", 1) << QByteArray();
    QTest::newRow("bytes after the NUL") << QByteArray("ab\0cd\0", 6) << QByteArray("ab");
    QTest::newRow("double-byte text")
        << QByteArray("\x83\x7a\x83\x6d\x83\x89\0", 7) << QByteArray("\x83\x7a\x83\x6d\x83\x89");
}

void TestSysInfo::decodeText()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, text);
    QCOMPARE(regvalue::textBytes(data), text);
}

void TestSysInfo::decodeNumber()
{
    QCOMPARE(regvalue::dwordText(le32(0)), QStringLiteral("0"));
    QCOMPARE(regvalue::dwordText(le32(5)), QStringLiteral("5"));
    // A zero byte inside the number is a digit, not an end of text.
    QCOMPARE(regvalue::dwordText(le32(0x0A12)), QStringLiteral("2578"));
    QCOMPARE(regvalue::dwordText(le32(0x01000000)), QStringLiteral("16777216"));
    QCOMPARE(regvalue::dwordText(le32(0xFFFFFFFF)), QStringLiteral("4294967295"));
    QCOMPARE(regvalue::dwordText(QByteArray("\x34\x12", 2)), QStringLiteral("4660"));
    QCOMPARE(regvalue::dwordText(le32(7) + QByteArray("\xFF", 1)), QStringLiteral("7"));
}

void TestSysInfo::textWithAndWithoutNul()
{
    reg_.setValue(kHkeyLocalMachine, kPathKey, "WITH", kRegSz, QByteArray("C:\\tool.exe\0", 12));
    reg_.setValue(kHkeyLocalMachine, kPathKey, "WITHOUT", kRegSz, "C:\\tool.exe");
    QString a = QStringLiteral("old"), b;
    QVERIFY(read(kPathKey, "WITH", a));
    QVERIFY(read(kPathKey, "without", b)); // names are not case-sensitive
    QCOMPARE(a, QStringLiteral("C:\\tool.exe"));
    QCOMPARE(b, a);
}

void TestSysInfo::bufferBoundary()
{
    const QByteArray text(1023, 'p');
    reg_.setValue(kHkeyLocalMachine, kPathKey, "FITS", kRegSz, text + '\0');       // 1024 bytes
    reg_.setValue(kHkeyLocalMachine, kPathKey, "LONG", kRegSz, text + "q" + '\0'); // 1025 bytes
    QString v;
    QVERIFY(read(kPathKey, "FITS", v));
    QCOMPARE(v, QString::fromLatin1(text));
    v = QStringLiteral("old");
    QVERIFY(!read(kPathKey, "LONG", v));
    QVERIFY(v.isEmpty());
}

void TestSysInfo::numberValue()
{
    reg_.setValue(kHkeyLocalMachine, kPathKey, "N", kRegDword, le32(0x0100));
    QString v = QStringLiteral("old");
    QVERIFY(read(kPathKey, "N", v));
    QCOMPARE(v, QStringLiteral("256"));
}

void TestSysInfo::otherTypeKeepsValue()
{
    reg_.setValue(kHkeyLocalMachine, kPathKey, "BIN", 3, "\x01\x02");
    reg_.setValue(kHkeyLocalMachine, kPathKey, "EXPAND", 2, "%WINDIR%\\x.exe");
    QString v = QStringLiteral("kept");
    QVERIFY(read(kPathKey, "BIN", v));
    QCOMPARE(v, QStringLiteral("kept"));
    QVERIFY(read(kPathKey, "EXPAND", v));
    QCOMPARE(v, QStringLiteral("kept"));
}

void TestSysInfo::keyThatCannotBeOpened()
{
    QString v = QStringLiteral("old");
    QVERIFY(!read(kPathKey, "PATH", v)); // no such key
    QVERIFY(v.isEmpty());

    // Full access is asked for; a key that grants reading only is refused.
    reg_.setValue(kHkeyLocalMachine, kPathKey, "PATH", kRegSz, "C:\\tool.exe");
    reg_.setAllowedAccess(kHkeyLocalMachine, kPathKey, 0x20019); // KEY_READ
    v = QStringLiteral("old");
    QVERIFY(!read(kPathKey, "PATH", v));
    QVERIFY(v.isEmpty());
    reg_.setAllowedAccess(kHkeyLocalMachine, kPathKey, kKeyAllAccess);
    QVERIFY(read(kPathKey, "PATH", v));

    // Another root is another tree.
    QVERIFY(!frmAbout::GetKeyValue(0x80000001u, QString::fromLatin1(kPathKey),
                                   QStringLiteral("PATH"), v));
}

void TestSysInfo::missingValueClosesKey()
{
    reg_.addKey(kHkeyLocalMachine, kPathKey);
    QString v = QStringLiteral("old");
    QVERIFY(!read(kPathKey, "PATH", v));
    QVERIFY(v.isEmpty());
}

void TestSysInfo::firstSourceWinsAlone()
{
    // No existence test on the first source's path, and no second key needed.
    reg_.setValue(kHkeyLocalMachine, kPathKey, "PATH", kRegSz,
                  QByteArray("C:\\a\\msinfo.exe\0", 16));
    frmAbout::StartSysInfo();
    QCOMPARE(fake_->startedPrograms, QList<QString>{QStringLiteral("C:\\a\\msinfo.exe")});
    QVERIFY(fake_->messages.isEmpty());

    // With both present, the first still wins.
    reg_.setValue(kHkeyLocalMachine, kDirKey, "MSINFO", kRegSz, "C:\\b");
    fake_->existingFiles = {QStringLiteral("C:\\b\\MSINFO32.EXE")};
    frmAbout::StartSysInfo();
    QCOMPARE(fake_->startedPrograms.last(), QStringLiteral("C:\\a\\msinfo.exe"));
}

void TestSysInfo::secondSourceOnlyWithItsFile()
{
    reg_.setValue(kHkeyLocalMachine, kDirKey, "MSINFO", kRegSz, QByteArray("C:\\b\0", 5));
    frmAbout::StartSysInfo();
    QVERIFY(fake_->startedPrograms.isEmpty());
    expectMessageOnly();

    fake_->messages.clear();
    fake_->existingFiles = {QStringLiteral("C:\\b\\MSINFO32.EXE")};
    frmAbout::StartSysInfo();
    QCOMPARE(fake_->startedPrograms, QList<QString>{QStringLiteral("C:\\b\\MSINFO32.EXE")});
    QVERIFY(fake_->messages.isEmpty());
}

void TestSysInfo::otherTypeUnderPathEndsInMessage()
{
    reg_.setValue(kHkeyLocalMachine, kPathKey, "PATH", 2, "C:\\a\\msinfo.exe");
    reg_.setValue(kHkeyLocalMachine, kDirKey, "MSINFO", kRegSz, "C:\\b");
    fake_->existingFiles = {QStringLiteral("C:\\b\\MSINFO32.EXE")};
    frmAbout::StartSysInfo();
    // Found, but without text: the empty name does not start, and the second
    // source is not consulted.
    QCOMPARE(fake_->startedPrograms, QList<QString>{QString()});
    expectMessageOnly();
}

void TestSysInfo::failingStartEndsInMessage()
{
    reg_.setValue(kHkeyLocalMachine, kPathKey, "PATH", kRegSz, "C:\\gone\\msinfo.exe");
    fake_->startSucceeds = false;
    frmAbout::StartSysInfo();
    QCOMPARE(fake_->startedPrograms.size(), 1);
    expectMessageOnly();
}

void TestSysInfo::nothingFoundEndsInMessage()
{
    // Both keys there, neither with full access.
    reg_.setValue(kHkeyLocalMachine, kPathKey, "PATH", kRegSz, "C:\\a\\msinfo.exe");
    reg_.setValue(kHkeyLocalMachine, kDirKey, "MSINFO", kRegSz, "C:\\b");
    reg_.setAllowedAccess(kHkeyLocalMachine, kPathKey, 0x20019);
    reg_.setAllowedAccess(kHkeyLocalMachine, kDirKey, 0x20019);
    fake_->existingFiles = {QStringLiteral("C:\\b\\MSINFO32.EXE")};
    frmAbout::StartSysInfo();
    QVERIFY(fake_->startedPrograms.isEmpty());
    expectMessageOnly();
}

HONURA_TEST_MAIN(TestSysInfo)
#include "test_sysinfo.moc"
