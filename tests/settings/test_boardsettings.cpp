// The board's eight keys in the settings file, and the placement on screen.
#include "settings/boardsettings.h"

#include "filehelpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace honura;
using test::readAll;
using test::writeAll;

class TestBoardSettings : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->filePath(QStringLiteral("honura.ini"));
    }
    void defaultsWithoutFile();
    void defaultFileIsTheTenLines();
    void roundTrip();
    void conversionsOnLoad();
    void unusableValuesTakeDefaults();
    void saveKeepsForeignData();
    void fitOnScreens();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestBoardSettings::defaultsWithoutFile()
{
    QCOMPARE(loadBoardSettings(path_), BoardSettings{});
    QVERIFY(!QFile::exists(path_)); // reading creates nothing
}

void TestBoardSettings::defaultFileIsTheTenLines()
{
    saveBoardSettings(path_, BoardSettings{});
    QCOMPARE(readAll(path_), test::kDefaultFile);
    QCOMPARE(loadBoardSettings(path_), BoardSettings{});
}

void TestBoardSettings::roundTrip()
{
    BoardSettings s;
    s.fontName = QStringLiteral("IPAPGothic");
    s.fontSize = 15.75f;
    s.bold = false;
    s.italic = true;
    s.top = -150;
    s.left = 30000;
    s.width = 9000;
    s.height = 7005;
    saveBoardSettings(path_, s);
    QCOMPARE(readAll(path_), QByteArray("[FONT]\r\nNAME=IPAPGothic\r\nSIZE=15.75\r\nBOLD=False\r\n"
                                        "ITALIC=True\r\n[Form]\r\nTOP=-150\r\nLEFT=30000\r\n"
                                        "WIDTH=9000\r\nHEIGHT=7005\r\n"));
    BoardSettings back = s;
    back.fontSize = 16; // a fractional size comes back as a whole number
    QCOMPARE(loadBoardSettings(path_), back);
}

void TestBoardSettings::conversionsOnLoad()
{
    writeAll(path_,
             "[font]\nname=Foo\nsize=10.5\nbold=0\nitalic=true\n[FORM]\ntop=-2.5\nleft=11.5\n"
             "width=7000.5\nheight=6001.5\n");
    const BoardSettings s = loadBoardSettings(path_);
    QCOMPARE(s.fontName, QStringLiteral("Foo"));
    QCOMPARE(s.fontSize, 10.0f);
    QCOMPARE(s.bold, false);
    QCOMPARE(s.italic, true);
    QCOMPARE(s.top, -2);
    QCOMPARE(s.left, 12);
    QCOMPARE(s.width, 7000);
    QCOMPARE(s.height, 6002);

    writeAll(path_, "[FONT]\r\nSIZE=11.5\r\nBOLD=-1\r\nITALIC=1\r\n");
    const BoardSettings t = loadBoardSettings(path_);
    QCOMPARE(t.fontSize, 12.0f);
    QVERIFY(t.bold);
    QVERIFY(t.italic);
}

void TestBoardSettings::unusableValuesTakeDefaults()
{
    const BoardSettings d;
    for (const QByteArray& file :
         {QByteArray("[FONT]\r\nNAME=\r\nSIZE=abc\r\nBOLD=yes\r\nITALIC=\r\n[Form]\r\nTOP=x\r\n"
                     "LEFT=99999999999\r\nWIDTH=0\r\nHEIGHT=-5\r\n"),
          QByteArray("[FONT]\r\nNAME=\xFF\r\nSIZE=0\r\n[Form]\r\nTOP=2147483648\r\nLEFT=1e5\r\n"
                     "WIDTH=-1\r\nHEIGHT=\r\n"),
          QByteArray("[FONT]\r\nSIZE=1639\r\n"), QByteArray("[FONT]\r\nSIZE=-16\r\n")}) {
        writeAll(path_, file);
        QCOMPARE(loadBoardSettings(path_), d);
    }
    writeAll(path_, "[FONT]\r\nSIZE=1\r\n");
    QCOMPARE(loadBoardSettings(path_).fontSize, 1.0f);
    writeAll(path_, "[FONT]\r\nSIZE=1638\r\n");
    QCOMPARE(loadBoardSettings(path_).fontSize, 1638.0f);
}

void TestBoardSettings::saveKeepsForeignData()
{
    const QByteArray before = "; my notes\r\n"
                              "[Other]\r\nA=1\r\n"
                              "[font]\r\nname=Foo\r\nCOLOR=red\r\n"
                              "\r\n"
                              "[Form]\r\nTOP=x\r\n";
    writeAll(path_, before);
    BoardSettings s = loadBoardSettings(path_);
    QCOMPARE(s.fontName, QStringLiteral("Foo"));
    QCOMPARE(s.top, 0);
    saveBoardSettings(path_, s);
    QCOMPARE(readAll(path_),
             QByteArray("; my notes\r\n"
                        "[Other]\r\nA=1\r\n"
                        "[font]\r\nname=Foo\r\nCOLOR=red\r\nSIZE=16\r\nBOLD=True\r\n"
                        "ITALIC=False\r\n"
                        "\r\n"
                        "[Form]\r\nTOP=0\r\nLEFT=0\r\nWIDTH=6945\r\nHEIGHT=5580\r\n"));
}

void TestBoardSettings::fitOnScreens()
{
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 200, 1280, 1024);
    const QList<QRect> screens{left, right};
    const auto fit = [](const QRect& r, const QList<QRect>& on, QSize least = {50, 50}) {
        return honura::fitOnScreens(r, on, least, {463, 372});
    };
    // Partly visible stays as it is.
    QCOMPARE(fit({-400, 100, 463, 372}, screens), QRect(-400, 100, 463, 372));
    QCOMPARE(fit({3100, 1100, 463, 372}, screens), QRect(3100, 1100, 463, 372));
    // Its top above the screens: the title bar comes down onto the screen.
    QCOMPARE(fit({-400, -100, 463, 372}, screens), QRect(-400, 0, 463, 372));
    QCOMPARE(fit({2000, 150, 463, 372}, screens), QRect(2000, 200, 463, 372));
    // Off every screen: onto the nearest one, as close as it allows.
    QCOMPARE(fit({5000, 500, 463, 372}, screens), QRect(3200 - 463, 500, 463, 372));
    QCOMPARE(fit({100, 1500, 463, 372}, screens), QRect(100, 1080 - 372, 463, 372));
    QCOMPARE(fit({-2000, -2000, 463, 372}, screens), QRect(0, 0, 463, 372));
    QCOMPARE(fit({2000, 0, 100, 100}, screens), QRect(1820, 0, 100, 100));
    // Below the gap under the right screen's top: the right screen is nearest.
    QCOMPARE(fit({2500, 1300, 100, 100}, screens), QRect(2500, 1124, 100, 100));
    // Larger than its screen: no larger than the screen it is on most, however large.
    QCOMPARE(fit({-100000, 0, 5000, 5000}, screens), QRect(0, 0, 1920, 1080));
    QCOMPARE(fit({1800, 300, 143165576, 143165576}, screens), QRect(1800, 300, 1280, 1024));
    // Smaller than usable: the smallest usable board.
    const QSize least(231, 186);
    QCOMPARE(fit({10, 20, 1, 1}, screens, least), QRect(10, 20, 231, 186));
    // Screens too small to hold a usable board do not count; without one, the
    // size stays between the smallest and the fallback.
    const QRect sliver(0, 0, 3, 101);
    QCOMPARE(fit({-1, -20, 3, 101}, {sliver, right}, least), QRect(1920, 200, 231, 186));
    QCOMPARE(fit({-1, -20, 3, 101}, {sliver}, least), QRect(-1, -20, 231, 186));
    QCOMPARE(fit({500, 500, 90000, 90000}, {sliver}, least), QRect(0, 0, 463, 372));
    QCOMPARE(fit({5, 5, 10, 10}, {}, least), QRect(5, 5, 231, 186));
}

QTEST_GUILESS_MAIN(TestBoardSettings)
#include "test_boardsettings.moc"
