// The Windows backend against the system's own calls: pointer confinement,
// registry reads, the program's folder and name, the single-instance guard.
#include "about/frmabout.h"
#include "about/regvalue.h"
#include "platform/registry.h"
#include "platform/win32/win32platform.h"
#include "testmain.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

using namespace honura;

namespace {

QString text(const RECT& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

RECT clipInForce()
{
    RECT r{};
    GetClipCursor(&r);
    return r;
}

RECT virtualScreen()
{
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// A key of the test's own below HKEY_LOCAL_MACHINE, where the launcher looks.
const QString kKey = QStringLiteral("SOFTWARE\\honura-test-%1").arg(GetCurrentProcessId());

} // namespace

class TestWin32 : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void clipConfinesAndReleases();
    void keyValues();
    void programFolderAndName();
    void oneInstancePerProgram();
};

void TestWin32::initTestCase() { setPlatform(createDesktopPlatform()); }

void TestWin32::cleanupTestCase()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(kKey.utf16()));
    platform().clipCursor(nullptr);
}

void TestWin32::clipConfinesAndReleases()
{
    const PixelRect r{40, 30, 240, 180};
    QVERIFY(platform().clipCursor(&r));
    QCOMPARE(text(clipInForce()), QStringLiteral("40,30,240,180"));
    // The pointer cannot be put outside, on either side.
    POINT p{};
    QVERIFY(SetCursorPos(5, 5));
    QVERIFY(GetCursorPos(&p));
    QCOMPARE(QPoint(p.x, p.y), QPoint(40, 30));
    QVERIFY(SetCursorPos(600, 400));
    QVERIFY(GetCursorPos(&p));
    QCOMPARE(QPoint(p.x, p.y), QPoint(239, 179));

    QVERIFY(platform().clipCursor(nullptr));
    QCOMPARE(text(clipInForce()), text(virtualScreen()));
    QVERIFY(SetCursorPos(5, 5));
    QVERIFY(GetCursorPos(&p));
    QCOMPARE(QPoint(p.x, p.y), QPoint(5, 5));
}

void TestWin32::keyValues()
{
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(kKey.utf16()), 0,
                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
             LONG(ERROR_SUCCESS));
    const std::wstring path = L"C:\\ツール\\MSINFO32.EXE";
    const DWORD number = 0x12345678;
    RegSetValueExW(key, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"NUMBER", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(key);

    QString value = QStringLiteral("before");
    QVERIFY(frmAbout::GetKeyValue(kHkeyLocalMachine, kKey, QStringLiteral("NUMBER"), value));
    QCOMPARE(value, QStringLiteral("305419896"));
    QVERIFY(!frmAbout::GetKeyValue(kHkeyLocalMachine, kKey, QStringLiteral("MISSING"), value));
    QCOMPARE(value, QString());
    value = QStringLiteral("before");
    QVERIFY(!frmAbout::GetKeyValue(kHkeyLocalMachine, kKey + QStringLiteral("\\missing"),
                                   QStringLiteral("PATH"), value));
    QCOMPARE(value, QString());

    // The registry gives text in the ANSI code page: 932 on a Japanese system.
    if (GetACP() != 932)
        QSKIP("the Japanese text needs the ANSI code page 932");
    QVERIFY(frmAbout::GetKeyValue(kHkeyLocalMachine, kKey, QStringLiteral("PATH"), value));
    QCOMPARE(value, QString::fromStdWString(path));
}

void TestWin32::programFolderAndName()
{
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    const QFileInfo self(QString::fromWCharArray(buffer, static_cast<int>(n)));
    QCOMPARE(platform().programDir(), QDir::toNativeSeparators(self.absolutePath()));
    QCOMPARE(platform().programBaseName(), QStringLiteral("test_win32platform"));
    // The test's folder is the user's own: the settings file goes beside the program.
    QCOMPARE(platform().settingsPath(),
             QDir::toNativeSeparators(self.absolutePath() + "/test_win32platform.ini"));
}

void TestWin32::oneInstancePerProgram()
{
    auto first = std::make_unique<Win32Platform>();
    QVERIFY(!first->anotherInstanceRunning());
    Win32Platform second;
    QVERIFY(second.anotherInstanceRunning());
    QVERIFY(second.anotherInstanceRunning());
    // Once the running instance is gone, the next one runs.
    first.reset();
    QVERIFY(!second.anotherInstanceRunning());
    QVERIFY(!second.anotherInstanceRunning()); // it is the running one itself
    QVERIFY(Win32Platform().anotherInstanceRunning());
}

HONURA_TEST_MAIN(TestWin32)
#include "test_win32.moc"
