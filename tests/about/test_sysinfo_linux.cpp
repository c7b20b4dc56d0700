// The Linux stand-in of the registry: the installed system-information viewer
// answers the launcher's lookups.
#include "about/frmabout.h"
#include "platform/x11/x11programs.h"
#include "testmain.h"

#include <QFile>
#include <QTemporaryDir>

using namespace honura;

namespace {

void makeProgram(const QString& path, bool executable = true) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        p |= QFile::ExeOwner;
    QVERIFY(f.setPermissions(p));
}

SysInfoRegistry registryIn(const QStringList& dirs) {
    return SysInfoRegistry([](const QString& s) { return s.toLatin1(); },
                           [](const QByteArray& b) { return QString::fromLatin1(b); }, dirs);
}

} // namespace

class TestSysInfoLinux : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { test::resetPlatform(); }
    void preferenceAndPresence();
    void launcherUsesTheViewer();
    void noViewerEndsInMessage();
    void codePageMustCarryThePath();
};

void TestSysInfoLinux::preferenceAndPresence() {
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

void TestSysInfoLinux::launcherUsesTheViewer() {
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

void TestSysInfoLinux::noViewerEndsInMessage() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SysInfoRegistry reg = registryIn({dir.path()});
    test::fake().fakeRegistry = &reg;
    frmAbout::StartSysInfo();
    QVERIFY(test::fake().startedPrograms.isEmpty());
    QCOMPARE(test::fake().messages.size(), 1);
    QCOMPARE(test::fake().messages[0].text, QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
}

void TestSysInfoLinux::codePageMustCarryThePath() {
    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    const QString dir = parent.path() + QStringLiteral("/ツール");
    QVERIFY(QDir().mkpath(dir));
    makeProgram(dir + QStringLiteral("/hardinfo"));
    // Latin-1 cannot carry the directory's name: the path would be garbled.
    QVERIFY(registryIn({dir}).findTool().isEmpty());
}

HONURA_TEST_MAIN(TestSysInfoLinux)
#include "test_sysinfo_linux.moc"
