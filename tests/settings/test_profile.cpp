// The private-profile engine and the settings file, at byte level.
#include "settings/atomicfile.h"
#include "settings/inifile.h"
#include "settings/profile.h"

#include "filehelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>
#include <string>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace honura;
using test::readAll;
using test::writeAll;
using namespace std::string_literals;

namespace {

const QString kMincho = QStringLiteral("ＭＳ Ｐ明朝");
const QByteArray kMinchoBytes("\x82\x6C\x82\x72\x20\x82\x6F\x96\xBE\x92\xA9");

} // namespace

class TestProfile : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init()
    {
        dirHolder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dirHolder_->isValid());
    }
    void namesIgnoreAsciiCaseOnly();
    void readsValues();
    void emptyValueIsNotAbsent();
    void duplicatesUseTheFirst();
    void valueBuffer();
    void editsOnlyTheValue();
    void addsKeysAndSections();
    void lfOnlyFile();
    void byteOrderMark();
    void valuesReadBackAsWritten_data();
    void valuesReadBackAsWritten();
    void refusesWhatCannotReadBack();
    void createsMissingFile();
    void cp932Names();
    void failedWritesLoseNothing();
    void keepsPermissions();
    void editWritesOnceAtCommit();
    void staleTemporariesRemoved();
    void rootKeepsTheOwner();
    void writesThroughSymlink();
    void badFiles();
    void megabyteFile();

  private:
    QString path(const QString& name = QStringLiteral("honura.ini")) const
    {
        return dirHolder_->filePath(name);
    }
    std::unique_ptr<QTemporaryDir> dirHolder_;
};

void TestProfile::namesIgnoreAsciiCaseOnly()
{
    QVERIFY(profile::namesEqual("Form", "FORM"));
    QVERIFY(profile::namesEqual("name", "NAME"));
    QVERIFY(!profile::namesEqual("NAME", "NAMES"));
    // The second byte of a double-byte character is not a letter: 83 41 and 83 61
    // are two different characters.
    QVERIFY(!profile::namesEqual("\x83\x41", "\x83\x61"));
    QVERIFY(profile::namesEqual("\x83\x41x", "\x83\x41X"));
}

void TestProfile::readsValues()
{
    const std::string file = "; comment=1\r\n"
                             "global=ignored\r\n"
                             "  [ font ]  \r\n"
                             "name=Foo\r\n"
                             "  SIZE =  12  \r\n"
                             "QUOTED=\" a \"\r\n"
                             "junk line\r\n"
                             "#HASH=1\r\n"
                             "[Form]\r\n"
                             "TOP=-5";
    QCOMPARE(profile::find(file, "FONT", "NAME"), "Foo"s);
    QCOMPARE(profile::find(file, "FONT", "SIZE"), "12"s);
    QCOMPARE(profile::find(file, "FONT", "QUOTED"), " a "s);
    QCOMPARE(profile::find(file, "form", "top"), "-5"s);
    QVERIFY(!profile::find(file, "FONT", "global"));
    QVERIFY(!profile::find(file, "FONT", "#HASH"));
    QVERIFY(!profile::find(file, "FONT", "TOP"));
    QVERIFY(!profile::find(file, "Other", "NAME"));
    QCOMPARE(profile::get(file, "FONT", "BOLD", "True"), "True"s);
}

void TestProfile::emptyValueIsNotAbsent()
{
    writeAll(path(), "[FONT]\r\nNAME=\r\nBLANK=   \r\n");
    QCOMPARE(IniGet(path(), "FONT", "NAME", "default"), QString());
    QCOMPARE(IniGet(path(), "FONT", "BLANK", "default"), QString());
    QCOMPARE(IniGet(path(), "FONT", "SIZE", "default"), QStringLiteral("default"));
    QCOMPARE(IniGet(path(QStringLiteral("missing.ini")), "FONT", "NAME", "d"), QStringLiteral("d"));
}

void TestProfile::duplicatesUseTheFirst()
{
    const std::string file = "[A]\r\nK=1\r\nK=2\r\n[B]\r\n[a]\r\nK=3\r\nL=4\r\n";
    QCOMPARE(profile::find(file, "A", "K"), "1"s);
    QCOMPARE(profile::find(file, "A", "L"), "4"s);
    QCOMPARE(*profile::put(file, "A", "K", "x"),
             "[A]\r\nK=x\r\nK=2\r\n[B]\r\n[a]\r\nK=3\r\nL=4\r\n"s);
    QCOMPARE(*profile::put(file, "A", "L", "y"),
             "[A]\r\nK=1\r\nK=2\r\n[B]\r\n[a]\r\nK=3\r\nL=y\r\n"s);
    QCOMPARE(*profile::put(file, "A", "M", "z"),
             "[A]\r\nK=1\r\nK=2\r\nM=z\r\n[B]\r\n[a]\r\nK=3\r\nL=4\r\n"s);
}

void TestProfile::valueBuffer()
{
    const std::string dbc = "\x96\xBE"; // one double-byte character
    const auto fileWith = [](const std::string& v) { return "[S]\r\nK=" + v + "\r\n"; };
    QCOMPARE(profile::get(fileWith(std::string(511, 'a')), "S", "K", ""), std::string(511, 'a'));
    QCOMPARE(profile::get(fileWith(std::string(512, 'a')), "S", "K", ""), std::string(511, 'a'));
    QCOMPARE(profile::get(fileWith(std::string(509, 'a') + dbc), "S", "K", ""),
             std::string(509, 'a') + dbc);
    // The character would straddle the cut: it is left out whole.
    QCOMPARE(profile::get(fileWith(std::string(510, 'a') + dbc), "S", "K", ""),
             std::string(510, 'a'));
    QCOMPARE(
        profile::get(fileWith(std::string(300, 'a') + std::string(300, 'b')), "S", "K", "").size(),
        511u);
    // Through the file: 255 double-byte characters and one more cut away.
    QString text(256, QChar(0x660E));
    IniPut(path(), "S", "K", text);
    QCOMPARE(IniGet(path(), "S", "K", ""), text.left(255));
}

void TestProfile::editsOnlyTheValue()
{
    const std::string file = "; settings\r\n"
                             "[font]\r\n"
                             "name = Old ; not a comment\r\n"
                             "EXTRA=keep\r\n"
                             "\r\n"
                             "[Mine]\r\n"
                             "NAME=other section\r\n";
    QCOMPARE(
        *profile::put(file, "FONT", "NAME", "New"),
        "; settings\r\n[font]\r\nname = New\r\nEXTRA=keep\r\n\r\n[Mine]\r\nNAME=other section\r\n"s);
    // A last line without a line end keeps having none.
    QCOMPARE(*profile::put("[S]\r\nK=1", "S", "K", "22"), "[S]\r\nK=22"s);
}

void TestProfile::addsKeysAndSections()
{
    QCOMPARE(*profile::put("", "FONT", "NAME", "x"), "[FONT]\r\nNAME=x\r\n"s);
    // After the last key of its section, before blank lines and the next section.
    QCOMPARE(*profile::put("[A]\r\nK=1\r\n\r\n; about B\r\n[B]\r\nK=2\r\n", "A", "L", "3"),
             "[A]\r\nK=1\r\nL=3\r\n\r\n; about B\r\n[B]\r\nK=2\r\n"s);
    QCOMPARE(*profile::put("[A]\r\n[B]\r\n", "A", "L", "3"), "[A]\r\nL=3\r\n[B]\r\n"s);
    // At the end of the file, closing a last line that has no line end.
    QCOMPARE(*profile::put("[A]\r\nK=1", "B", "L", "3"), "[A]\r\nK=1\r\n[B]\r\nL=3\r\n"s);
    QCOMPARE(*profile::put("[A]\r\nK=1", "A", "L", "3"), "[A]\r\nK=1\r\nL=3\r\n"s);
    QCOMPARE(*profile::put("[A]\r\nK=1\r", "A", "L", "3"), "[A]\r\nK=1\r\nL=3\r\n"s);
}

void TestProfile::lfOnlyFile()
{
    const std::string file = "[FONT]\nNAME=Foo\nSIZE=12\n[Form]\nTOP=7\n";
    QCOMPARE(profile::find(file, "FONT", "NAME"), "Foo"s);
    QCOMPARE(profile::find(file, "Form", "TOP"), "7"s);
    QCOMPARE(*profile::put(file, "FONT", "BOLD", "True"),
             "[FONT]\nNAME=Foo\nSIZE=12\nBOLD=True\n[Form]\nTOP=7\n"s);
    QCOMPARE(*profile::put(file, "X", "Y", "z"), file + "[X]\nY=z\n");
}

void TestProfile::byteOrderMark()
{
    // An editor's byte-order mark hides no section, and stays where it is.
    const std::string bom = "\xEF\xBB\xBF";
    const std::string file = bom + "[FONT]\r\nNAME=Foo\r\n";
    QCOMPARE(profile::find(file, "FONT", "NAME"), "Foo"s);
    QCOMPARE(*profile::put(file, "FONT", "SIZE", "16"), file + "SIZE=16\r\n");
    QCOMPARE(*profile::put(bom, "S", "K", "v"), bom + "[S]\r\nK=v\r\n");
    // Elsewhere the same bytes are text like any other.
    QCOMPARE(profile::find("\r\n" + file, "FONT", "NAME"), std::nullopt);
}

void TestProfile::valuesReadBackAsWritten_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("blanks around") << QByteArray("  x\t");
    QTest::newRow("only blanks") << QByteArray("   ");
    QTest::newRow("quoted") << QByteArray("\"q\"");
    QTest::newRow("one quote") << QByteArray("\"");
    QTest::newRow("two quotes") << QByteArray("\"\"");
    QTest::newRow("equals and brackets") << QByteArray("a=b [c] ;d");
    QTest::newRow("double-byte") << kMinchoBytes;
}

void TestProfile::valuesReadBackAsWritten()
{
    QFETCH(QByteArray, value);
    const std::string v = value.toStdString();
    for (const std::string& file : {""s, "[S]\r\nK=old\r\n"s, "[S]\nJ=1\n"s}) {
        const std::optional<std::string> out = profile::put(file, "S", "K", v);
        QVERIFY(out);
        QCOMPARE(profile::find(*out, "S", "K"), v);
        QCOMPARE(profile::find(*out, "S", "J"), profile::find(file, "S", "J"));
    }
}

void TestProfile::refusesWhatCannotReadBack()
{
    const std::string file = "[S]\r\nK=1\r\n";
    for (const auto& [s, k, v] :
         std::initializer_list<std::array<std::string, 3>>{{"S", "K", "line\r\nbreak"},
                                                           {"S", "K", "a\nb"},
                                                           {"S", "K", "nul\0x"s},
                                                           {"S", "K", "\x82"},
                                                           {"", "K", "v"},
                                                           {"S", "", "v"},
                                                           {" S", "K", "v"},
                                                           {"S", "K ", "v"},
                                                           {"S]", "K", "v"},
                                                           {"S", "K=", "v"},
                                                           {"S", "[K", "v"},
                                                           {"S", ";K", "v"},
                                                           {"S\n", "K", "v"}}) {
        QVERIFY2(!profile::put(file, s, k, v), (s + "/" + k + "/" + v).c_str());
    }
    writeAll(path(), "[S]\r\nK=1\r\n");
    IniPut(path(), "S", "K", QStringLiteral("two\r\nlines"));
    IniPut(path(), "S", "K", QStringLiteral("한국어")); // no CP932 form
    QCOMPARE(readAll(path()), QByteArray("[S]\r\nK=1\r\n"));
}

void TestProfile::createsMissingFile()
{
    IniPut(path(), "FONT", "NAME", kMincho);
    QCOMPARE(readAll(path()), "[FONT]\r\nNAME=" + kMinchoBytes + "\r\n");
    QCOMPARE(IniGet(path(), "font", "name", ""), kMincho);
    QCOMPARE(QDir(dirHolder_->path()).entryList(QDir::Files), QStringList{"honura.ini"});
}

void TestProfile::cp932Names()
{
    // 83 5D is one character whose second byte is "]".
    const QString section = QStringLiteral("ゾ");
    IniPut(path(), section, QStringLiteral("名前"), QStringLiteral("値"));
    QCOMPARE(readAll(path()).left(4), QByteArray("[\x83\x5D]"));
    QCOMPARE(IniGet(path(), section, QStringLiteral("名前"), ""), QStringLiteral("値"));
}

void TestProfile::failedWritesLoseNothing()
{
    // Missing directory: nothing is created.
    const QString nowhere = dirHolder_->filePath(QStringLiteral("missing/honura.ini"));
    IniPut(nowhere, "S", "K", "v");
    QVERIFY(!QFileInfo::exists(dirHolder_->filePath(QStringLiteral("missing"))));

    // Read-only file: stays as it is, even for a user allowed to replace it.
    const QByteArray before("[S]\r\nK=1\r\n");
    writeAll(path(), before);
    QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    IniPut(path(), "S", "K", "2");
    IniPut(path(), "T", "K", "2");
    QCOMPARE(readAll(path()), before);
    QCOMPARE(QDir(dirHolder_->path()).entryList(QDir::Files), QStringList{"honura.ini"});

    // A directory in place of the file: defaults, and the directory stays.
    const QString d = path(QStringLiteral("dir.ini"));
    QVERIFY(QDir().mkdir(d));
    QCOMPARE(IniGet(d, "S", "K", "dflt"), QStringLiteral("dflt"));
    IniPut(d, "S", "K", "v");
    QVERIFY(QFileInfo(d).isDir());
    QCOMPARE(QDir(dirHolder_->path()).entryList(QDir::Files), QStringList{"honura.ini"});
}

void TestProfile::keepsPermissions()
{
#ifdef Q_OS_WIN
    QSKIP("Unix permission bits");
#endif
    writeAll(path(), "[S]\r\nK=1\r\n");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path(), perms));
    IniPut(path(), "S", "K", "2");
    QCOMPARE(readAll(path()), QByteArray("[S]\r\nK=2\r\n"));
    QCOMPARE(QFile::permissions(path()) &
                 ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
             perms);
}

// Until commit() the file stays as it was; then it holds what the same
// IniPut() calls would have left.
void TestProfile::editWritesOnceAtCommit()
{
    const QByteArray before("[Mine]\r\nA=1\r\n[S]\r\nK=0\r\n");
    writeAll(path(), before);
    writeAll(path(QStringLiteral("one-by-one.ini")), before);
    IniEdit edit(path());
    for (const char* key : {"K", "L", "M"}) {
        edit.put("S", key, "2");
        IniPut(path(QStringLiteral("one-by-one.ini")), "S", key, "2");
    }
    edit.put("S", "BAD", "line\nbreak"); // skipped, like the IniPut() it stands for
    edit.put("T", "K", "3");
    IniPut(path(QStringLiteral("one-by-one.ini")), "T", "K", "3");
    QCOMPARE(readAll(path()), before);
    QVERIFY(edit.commit());
    QCOMPARE(readAll(path()), readAll(path(QStringLiteral("one-by-one.ini"))));
    QCOMPARE(readAll(path()), "[Mine]\r\nA=1\r\n[S]\r\nK=2\r\nL=2\r\nM=2\r\n[T]\r\nK=3\r\n");
}

// Only files of the save's own temporary-name pattern go, and only those that
// no running save holds.
void TestProfile::staleTemporariesRemoved()
{
    const QStringList stale = {"honura.ini.AbC123.tmp", "honura.ini.zzzzzz.tmp"};
    const QStringList kept = {"honura.ini",           "honura.ini.backup",
                              "honura.ini.AbC12.tmp", "honura.ini.AbC-23.tmp",
                              "copy.ini.AbC123.tmp",  "honura.ini.AbC123.tmp.old"};
    for (const QString& name : stale + kept)
        writeAll(path(name), "x");
    QStringList expected = kept;
#ifndef Q_OS_WIN
    // A save in progress in another run holds a lock on its file.
    const QString busy = QStringLiteral("honura.ini.Busy01.tmp");
    writeAll(path(busy), "x");
    const int fd = ::open(QFile::encodeName(path(busy)).constData(), O_RDONLY);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    expected.append(busy);
#endif
    profile::removeStaleTemporaries(path());
#ifndef Q_OS_WIN
    ::close(fd);
#endif
    QStringList left = QDir(dirHolder_->path()).entryList(QDir::Files);
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

// Run as root, a save leaves the user's file the user's: owner, group and mode
// stay. (Runs as root for another user, where the new file is that user's
// own, are checked by scripts/check-faults.sh.)
void TestProfile::rootKeepsTheOwner()
{
#ifdef Q_OS_WIN
    QSKIP("ownership by user and group ids is a Unix matter");
#else
    if (::geteuid() != 0)
        QSKIP("needs root");
    const QByteArray file = QFile::encodeName(path());
    writeAll(path(), "[S]\r\nK=1\r\n");
    QCOMPARE(::chown(file.constData(), 4321, 4322), 0);
    QCOMPARE(::chmod(file.constData(), 0640), 0);
    IniPut(path(), "S", "K", "2");
    struct stat st {};
    QCOMPARE(::stat(file.constData(), &st), 0);
    QCOMPARE(readAll(path()), QByteArray("[S]\r\nK=2\r\n"));
    QCOMPARE(int(st.st_uid), 4321);
    QCOMPARE(int(st.st_gid), 4322);
    QCOMPARE(int(st.st_mode & 07777), 0640);
#endif
}

void TestProfile::writesThroughSymlink()
{
#ifdef Q_OS_WIN
    QSKIP("QFile::link makes a shortcut on Windows, not a symbolic link");
#endif
    const QString target = path(QStringLiteral("real.ini"));
    writeAll(target, "[S]\r\nK=1\r\n");
    QVERIFY(QFile::link(target, path()));
    IniPut(path(), "S", "K", "2");
    QVERIFY(QFileInfo(path()).isSymLink());
    QCOMPARE(readAll(target), QByteArray("[S]\r\nK=2\r\n"));
}

void TestProfile::badFiles()
{
    // NUL bytes, invalid CP932 and a stray lead byte: the values that cannot be
    // read give the default, every byte survives an edit elsewhere.
    const QByteArray file = QByteArray::fromStdString(
        "\0\0junk\r\n[FONT]\r\nNAME=\x82\r\nBAD=\xFF\xFE\r\nNUL=ab\0cd\r\nSIZE=12\r\n[X\x83]\r\nK=1\r\n"s);
    writeAll(path(), file);
    QCOMPARE(IniGet(path(), "FONT", "NAME", "d"), QStringLiteral("d"));
    QCOMPARE(IniGet(path(), "FONT", "BAD", "d"), QStringLiteral("d"));
    QCOMPARE(IniGet(path(), "FONT", "NUL", "d"), QStringLiteral("ab"));
    QCOMPARE(IniGet(path(), "FONT", "SIZE", "d"), QStringLiteral("12"));
    IniPut(path(), "FONT", "SIZE", "16");
    IniPut(path(), "Form", "TOP", "0");
    QByteArray expected = file;
    expected.replace("SIZE=12", "SIZE=16");
    QCOMPARE(readAll(path()), expected + "[Form]\r\nTOP=0\r\n");
}

void TestProfile::megabyteFile()
{
    QByteArray file;
    for (int i = 0; i < 100000; ++i)
        file +=
            "[Big" + QByteArray::number(i % 7) + "]\r\nKEY" + QByteArray::number(i) + "=value\r\n";
    file += "[FONT]\r\nNAME=Foo\r\n";
    QVERIFY(file.size() > 2'000'000);
    writeAll(path(), file);
    QCOMPARE(IniGet(path(), "FONT", "NAME", ""), QStringLiteral("Foo"));
    QCOMPARE(IniGet(path(), "Big0", "KEY99995", ""), QStringLiteral("value"));
    IniPut(path(), "FONT", "SIZE", "16");
    QCOMPARE(readAll(path()), file + "SIZE=16\r\n");

    // Beyond the size a settings file can have: neither read nor replaced.
    QFile f(path());
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.resize(profile::kMaxFileSize + 1));
    f.close();
    QCOMPARE(IniGet(path(), "FONT", "NAME", "d"), QStringLiteral("d"));
    IniPut(path(), "FONT", "NAME", "x");
    QCOMPARE(QFileInfo(path()).size(), profile::kMaxFileSize + 1);
}

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
