// CP932 conversion and the place of the settings file.
#include "platform/cp932.h"
#include "platform/desktop.h"
#include "platform/invokinguser.h"
#include "testmain.h"

#include <QDir>

using namespace honura;

class TestPlatformText : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cp932Exact();
    void cp932Lossy();
    void backendsConvertAlike();
    void settingsPathBesideProgram();
    void settingsPathForInstalledProgram();
    void settingsBaseName();
    void systemFolders();
    void invokingUser();
};

void TestPlatformText::cp932Exact()
{
    const QByteArray mincho("\x82\x6C\x82\x72\x20\x82\x6F\x96\xBE\x92\xA9");
    QCOMPARE(cp932::encode(u"ＭＳ Ｐ明朝"), mincho);
    QCOMPARE(cp932::decode(mincho), QStringLiteral("ＭＳ Ｐ明朝"));
    QCOMPARE(cp932::encode(u"ｱ"), QByteArray("\xB1")); // half-width kana: one byte
    QCOMPARE(cp932::encode(u""), QByteArray());
    QCOMPARE(cp932::decode(""), QString());
    // ASCII stays as it is, alone (no converter needed) and beside other text.
    QByteArray ascii;
    for (char c = 0x20; c < 0x7F; ++c)
        ascii += c;
    QCOMPARE(cp932::encode(QString::fromLatin1(ascii)), ascii);
    QCOMPARE(cp932::encode(QString::fromLatin1(ascii) + u'明'), ascii + "\x96\xBE");
    QCOMPARE(cp932::decode(ascii + "\x96\xBE"), QString::fromLatin1(ascii) + u'明');
    const QString all = QStringLiteral("ホヌラ 一二三 ゐゑを ①ⅰ～－");
    QCOMPARE(cp932::decode(*cp932::encode(all)), all);
    // Nothing without a CP932 form, nothing from broken bytes.
    QVERIFY(!cp932::encode(u"한국어"));
    QVERIFY(!cp932::encode(u"\U0001F600"));
    QVERIFY(!cp932::encode(QString(QChar(0xD800))));
    QVERIFY(!cp932::decode("\x82"));    // lead byte at the end
    QVERIFY(!cp932::decode("a\xFF b")); // no character
    QVERIFY(!cp932::decode("\x82\x20"));
}

void TestPlatformText::cp932Lossy()
{
    QCOMPARE(cp932::encodeLossy(u"a한b\U0001F600c"), QByteArray("a?b?c"));
    QCOMPARE(cp932::decodeLossy("a\xFF\x82\x6C"
                                "b\x82"),
             QStringLiteral("a\uFFFDＭb\uFFFD"));
}

void TestPlatformText::backendsConvertAlike()
{
    // The headless backend converts as the desktop one does.
    const Platform& p = test::fake();
    QCOMPARE(p.toAnsi(QStringLiteral("ＭＳ Ｐ明朝")), *cp932::encode(u"ＭＳ Ｐ明朝"));
    QCOMPARE(p.fromAnsi("\x96\xBE"), QStringLiteral("明"));
}

void TestPlatformText::settingsPathBesideProgram()
{
    const QString sep = QDir::separator();
    QCOMPARE(settingsPathFor(QStringLiteral("/opt/x"), QStringLiteral("honura"), true,
                             QStringLiteral("/home/u/.config/honura")),
             QDir::toNativeSeparators(QStringLiteral("/opt/x/honura.ini")));
    // A renamed copy has its own file; a root directory gives no doubled separator.
    QCOMPARE(settingsPathFor(QStringLiteral("/"), QStringLiteral("copy"), true, QString()),
             sep + QStringLiteral("copy.ini"));
}

void TestPlatformText::settingsPathForInstalledProgram()
{
    QCOMPARE(settingsPathFor(QStringLiteral("/usr/bin"), QStringLiteral("honura"), false,
                             QStringLiteral("/home/u/.config/honura")),
             QDir::toNativeSeparators(QStringLiteral("/home/u/.config/honura/honura.ini")));
    QCOMPARE(settingsPathFor(QStringLiteral("/usr/bin"), QStringLiteral("copy"), false,
                             QStringLiteral("/cfg/honura/")),
             QDir::toNativeSeparators(QStringLiteral("/cfg/honura/copy.ini")));
    // Read from beside the program until the user has a file of their own.
    const QString mine = QStringLiteral("/home/u/.config/honura/honura.ini");
    const QString beside = QStringLiteral("/usr/bin/honura.ini");
    QCOMPARE(settingsReadPathFor(mine, beside, false, true), beside);
    QCOMPARE(settingsReadPathFor(mine, beside, true, true), mine);
    QCOMPARE(settingsReadPathFor(mine, beside, false, false), mine);
}

void TestPlatformText::settingsBaseName()
{
    // On Linux an executable has no extension: a version in the name stays.
    QCOMPARE(honura::settingsBaseName("honura-1.0.1", false), QStringLiteral("honura-1.0.1"));
    QCOMPARE(honura::settingsBaseName("honura.exe", false), QStringLiteral("honura.exe"));
    // On Windows only ".exe" goes, in any letter case.
    QCOMPARE(honura::settingsBaseName("honura-1.0.1.EXE", true), QStringLiteral("honura-1.0.1"));
    QCOMPARE(honura::settingsBaseName("honura-1.0.1", true), QStringLiteral("honura-1.0.1"));
}

// Settings beside the executable only in a folder of the invoking user's own,
// outside the folders that packages own, even for root.
void TestPlatformText::systemFolders()
{
    QVERIFY(programDirHoldsSettings("/home/u/games", true, true));
    QVERIFY(programDirHoldsSettings("/usrlocal", true, true));
    QVERIFY(programDirHoldsSettings("/optional/bin", true, true));
    QVERIFY(!programDirHoldsSettings("/home/u/games", false, true)); // another user's folder
    QVERIFY(!programDirHoldsSettings("/home/u/games", true, false));
    for (const char* dir : {"/usr", "/usr/games", "/usr/local/bin", "/opt", "/opt/honura/bin"})
        QVERIFY2(!programDirHoldsSettings(dir, true, true), dir);
}

// Whom a run works for: root under sudo or pkexec for the user who asked, a
// set-user-id run for its real user; everyone else for themselves.
void TestPlatformText::invokingUser()
{
    const auto id = [](unsigned real, unsigned effective, const char* sudo, const char* gid,
                       const char* pkexec) {
        const Identity i = identityFrom(real, effective, QString::fromLatin1(sudo),
                                        QString::fromLatin1(gid), QString::fromLatin1(pkexec));
        return QStringLiteral("%1 %2 %3").arg(i.uid).arg(i.other).arg(i.gid);
    };
    QCOMPARE(id(1000, 1000, "", "", ""), QStringLiteral("1000 0 -1"));
    QCOMPARE(id(1000, 1000, "0", "0", ""), QStringLiteral("1000 0 -1")); // not root: itself
    QCOMPARE(id(0, 0, "", "", ""), QStringLiteral("0 0 -1"));
    QCOMPARE(id(0, 0, "1000", "1001", ""), QStringLiteral("1000 1 1001"));
    QCOMPARE(id(0, 0, "", "", "1000"), QStringLiteral("1000 1 -1"));
    QCOMPARE(id(0, 0, "0", "0", ""), QStringLiteral("0 0 -1")); // sudo by root
    QCOMPARE(id(0, 0, "x1", "", ""), QStringLiteral("0 0 -1"));
    QCOMPARE(id(1000, 0, "", "", ""), QStringLiteral("1000 1 -1"));
}

HONURA_TEST_MAIN(TestPlatformText)
#include "test_text.moc"
