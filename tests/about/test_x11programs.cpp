// Other programs on Linux: the registry stand-in answered by the installed
// system-information viewer, the browser and the start of a program.
#include "about/frmabout.h"
#include "platform/desktop.h"
#include "platform/x11/x11platform.h"
#include "platform/x11/x11programs.h"
#include "testmain.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

using namespace honura;

namespace {

void makeProgram(const QString& path, bool executable = true)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        p |= QFile::ExeOwner;
    QVERIFY(f.setPermissions(p));
}

SysInfoRegistry registryIn(const QStringList& dirs)
{
    return SysInfoRegistry([](const QString& s) { return s.toLatin1(); },
                           [](const QByteArray& b) { return QString::fromLatin1(b); }, dirs);
}

} // namespace

class TestX11Programs : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { test::resetPlatform(); }
    void preferenceAndPresence();
    void launcherUsesTheViewer();
    void noViewerEndsInMessage();
    void codePageMustCarryThePath();
    void browsableAddresses_data();
    void browsableAddresses();
    void browserGetsTheAddressWithoutShell();
    void noBrowserIsNoFailure();
    void programStart();
};

void TestX11Programs::preferenceAndPresence()
{
    QTemporaryDir a, b;
    QVERIFY(a.isValid() && b.isValid());
    SysInfoRegistry reg = registryIn({a.path(), b.path()});
    QVERIFY(reg.findTool().isEmpty());

    makeProgram(a.path() + QStringLiteral("/hardinfo"), false); // not executable: no tool
    QVERIFY(reg.findTool().isEmpty());

    makeProgram(b.path() + QStringLiteral("/kinfocenter"));
    QCOMPARE(reg.findTool(), b.path() + QStringLiteral("/kinfocenter"));

    // A preferred viewer wins over the search order of the directories.
    makeProgram(b.path() + QStringLiteral("/hardinfo"));
    QCOMPARE(reg.findTool(), b.path() + QStringLiteral("/hardinfo"));
}

void TestX11Programs::launcherUsesTheViewer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SysInfoRegistry reg = registryIn({dir.path()});
    test::fake().fakeRegistry = &reg;

    // Installed after the registry came to be: found at the next lookup.
    makeProgram(dir.path() + QStringLiteral("/cpu-x"));
    frmAbout::StartSysInfo();
    QCOMPARE(test::fake().startedPrograms, QList<QString>{dir.path() + QStringLiteral("/cpu-x")});
    QVERIFY(test::fake().messages.isEmpty());

    // The tool-location key does not exist here.
    QString v;
    QVERIFY(!frmAbout::GetKeyValue(kHkeyLocalMachine,
                                   QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                                   QStringLiteral("MSINFO"), v));
    QCOMPARE(reg.openHandles(), 0);
}

void TestX11Programs::noViewerEndsInMessage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SysInfoRegistry reg = registryIn({dir.path()});
    test::fake().fakeRegistry = &reg;
    frmAbout::StartSysInfo();
    QVERIFY(test::fake().startedPrograms.isEmpty());
    QCOMPARE(test::fake().messages.size(), 1);
    QCOMPARE(test::fake().messages[0].text, QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
}

void TestX11Programs::codePageMustCarryThePath()
{
    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    const QString dir = parent.path() + QStringLiteral("/ツール");
    QVERIFY(QDir().mkpath(dir));
    makeProgram(dir + QStringLiteral("/hardinfo"));
    // Latin-1 cannot carry the directory's name: the path would be garbled.
    QVERIFY(registryIn({dir}).findTool().isEmpty());
}

void TestX11Programs::browsableAddresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("ok");
    QTest::newRow("https") << QStringLiteral("https://brantle.example.net/") << true;
    QTest::newRow("http with query") << QStringLiteral("http://example.net/a?b=1&c=2") << true;
    QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << false;
    QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << false;
    QTest::newRow("option") << QStringLiteral("--help") << false;
    QTest::newRow("no host") << QStringLiteral("https:///x") << false;
    QTest::newRow("space") << QStringLiteral("https://example.net/a b") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestX11Programs::browsableAddresses()
{
    QFETCH(QString, url);
    QFETCH(bool, ok);
    QCOMPARE(browsableUrl(url), ok);
}

// The address reaches the opener as one argument, exactly as given: no shell
// expands or splits it.
void TestX11Programs::browserGetsTheAddressWithoutShell()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString record = dir.filePath(QStringLiteral("args"));
    const QString opener = dir.filePath(QStringLiteral("xdg-open"));
    {
        QFile f(opener);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QTextStream(&f) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << record
                        << ".tmp'\n/bin/mv '" << record << ".tmp' '" << record << "'\n";
    }
    QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    const QString url = QStringLiteral("https://example.net/a;b?c=$(touch%20x)&d='e'");
    X11Platform x11;
    const bool started = x11.openUrl(url);
    qputenv("PATH", oldPath);
    QVERIFY(started);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 30000);
    QFile f(record);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("1|") + url + QLatin1Char('|'));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x"))));
}

void TestX11Programs::noBrowserIsNoFailure()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    X11Platform x11;
    const bool started = x11.openUrl(QStringLiteral("https://brantle.example.net/"));
    qputenv("PATH", oldPath);
    QVERIFY(!started);
    QVERIFY(!x11.openUrl(QStringLiteral("file:///etc/passwd")));
}

void TestX11Programs::programStart()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    X11Platform x11;
    QVERIFY(!x11.startProgram(QString()));
    QVERIFY(!x11.startProgram(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(!x11.startProgram(dir.path())); // a directory
    const QString tool = dir.filePath(QStringLiteral("tool"));
    makeProgram(tool, false);
    QVERIFY(!x11.startProgram(tool)); // not executable
    QVERIFY(x11.startProgram(QStandardPaths::findExecutable(QStringLiteral("true"))));
}

HONURA_TEST_MAIN(TestX11Programs)
#include "test_x11programs.moc"
