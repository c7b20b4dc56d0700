// The board's settings at start-up and shut-down, and the font command.
#include "board/frmmain.h"
#include "controls/clicklabel.h"
#include "testmain.h"

#include "filehelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace honura;
using test::readAll;
using test::writeAll;

namespace {

QList<QLabel*> boardLabels(const FrmMain& w)
{
    QList<QLabel*> all{w.lblYes(), w.lblNo()};
    for (int i = 0; i <= FrmMain::LblCharUBound(); ++i)
        all.append(w.LblChar(i));
    return all;
}

// Runs act on the font dialog once it is shown, from inside its event loop.
void whenFontDialogShows(std::function<void(QFontDialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dlg = qobject_cast<QFontDialog*>(w);
            if (dlg && dlg->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(dlg);
                return;
            }
        }
    });
    timer->start();
}

} // namespace

class TestFrmMainSettings : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void startsWithDefaultsAndWritesThem();
    void appliesTheFile();
    void unusableValuesTakeDefaults();
    void lostWindowComesBack();
    void maximizedSavesNormalGeometry();
    void fontDialogCancel();
    void fontDialogChoice();
    void fontDialogKeepsRequestedFace();
    void fontDialogBoldOfAFaceWithoutBold();
    void absentFaceKeepsItsName();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestFrmMainSettings::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    HeadlessPlatform& p = test::resetPlatform();
    p.dir = dir_->path();
    path_ = p.settingsPath();
}

void TestFrmMainSettings::startsWithDefaultsAndWritesThem()
{
    FrmMain w;
    QVERIFY(w.startUp());
    QCOMPARE(w.boardFont().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    QCOMPARE(w.boardFont().pointSizeF(), 16.0);
    QVERIFY(w.boardFont().bold());
    QVERIFY(!w.boardFont().italic());
    QCOMPARE(w.savedGeometry(), FormGeometry{});
    // The labels are given the installed substitute; the board keeps the name.
    for (QLabel* l : boardLabels(w))
        QCOMPARE(l->font().family(), QStringLiteral("IPAPMincho"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.outerTwips(), QRectF(0, 0, 6945, 5580));
    QVERIFY(!QFile::exists(path_));
    w.close();
    QCOMPARE(readAll(path_), test::kDefaultFile);
}

void TestFrmMainSettings::appliesTheFile()
{
    writeAll(path_,
             "[Keep]\r\nME=1\r\n[FONT]\r\nNAME=IPAPGothic\r\nSIZE=10.5\r\nBOLD=0\r\n"
             "ITALIC=true\r\n[Form]\r\nTOP=1500\r\nLEFT=3000\r\nWIDTH=7500\r\nHEIGHT=6000\r\n");
    FrmMain w;
    QVERIFY(w.startUp());
    QCOMPARE(w.boardFont().family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(w.boardFont().pointSizeF(), 10.0);
    QVERIFY(!w.boardFont().bold());
    QVERIFY(w.boardFont().italic());
    QCOMPARE(w.savedGeometry(), (FormGeometry{1500, 3000, 7500, 6000}));
    QCOMPARE(w.LblChar(30)->font().pointSizeF(), 10.0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.outerTwips(), QRectF(3000, 1500, 7500, 6000));
    // Moved and resized during the run: saved with the final rectangle.
    const QSize frame = w.frameGeometry().size() - w.size();
    w.move(40, 60);
    w.resize(QSize(600, 450) - frame);
    QTRY_COMPARE(w.outerTwips(), QRectF(600, 900, 9000, 6750));
    w.close();
    QCOMPARE(w.savedGeometry(), (FormGeometry{900, 600, 9000, 6750}));
    QCOMPARE(readAll(path_), QByteArray("[Keep]\r\nME=1\r\n[FONT]\r\nNAME=IPAPGothic\r\nSIZE=10\r\n"
                                        "BOLD=False\r\nITALIC=True\r\n[Form]\r\nTOP=900\r\n"
                                        "LEFT=600\r\nWIDTH=9000\r\nHEIGHT=6750\r\n"));
}

void TestFrmMainSettings::unusableValuesTakeDefaults()
{
    writeAll(path_, "[FONT]\r\nNAME=\r\nSIZE=huge\r\nBOLD=maybe\r\n[Form]\r\nWIDTH=-1\r\n"
                    "HEIGHT=99999999999\r\n");
    FrmMain w;
    QVERIFY(w.startUp());
    QCOMPARE(w.boardFont().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    QCOMPARE(w.boardFont().pointSizeF(), 16.0);
    QVERIFY(w.boardFont().bold());
    QCOMPARE(w.savedGeometry(), FormGeometry{});
}

void TestFrmMainSettings::lostWindowComesBack()
{
    writeAll(path_, "[Form]\r\nTOP=-300000\r\nLEFT=900000\r\n");
    FrmMain w;
    QVERIFY(w.startUp());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect screen = w.screen()->geometry();
    QVERIFY(screen.contains(w.frameGeometry()));
    QCOMPARE(w.frameGeometry().size(), QSize(463, 372));
    QCOMPARE(w.frameGeometry().topRight(), screen.topRight());
}

void TestFrmMainSettings::maximizedSavesNormalGeometry()
{
    writeAll(path_, "[Form]\r\nTOP=1500\r\nLEFT=3000\r\n");
    FrmMain w;
    QVERIFY(w.startUp());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.outerTwips(), QRectF(3000, 1500, 6945, 5580));
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    QTRY_VERIFY(w.outerTwips().width() != 6945);
    w.close();
    QCOMPARE(w.savedGeometry(), (FormGeometry{1500, 3000, 6945, 5580}));
}

void TestFrmMainSettings::fontDialogCancel()
{
    FrmMain w;
    QVERIFY(w.startUp());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QFont before = w.boardFont();
    const QFont msgFont = w.TxtMsg()->font();
    bool seen = false;
    bool extrasHidden = true;
    QFont opened;
    whenFontDialogShows([&](QFontDialog* dlg) {
        seen = true;
        // Face, style and size only.
        for (QGroupBox* box : dlg->findChildren<QGroupBox*>())
            if (!box->findChildren<QCheckBox*>().isEmpty() && !box->isHidden())
                extrasHidden = false;
        for (QComboBox* combo : dlg->findChildren<QComboBox*>())
            if (!combo->isHidden())
                extrasHidden = false;
        opened = dlg->currentFont();
        const auto* sample = dlg->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
        if (!sample || sample->height() < 2 * dlg->fontMetrics().height())
            extrasHidden = false; // the sample must keep its room
        dlg->reject();
    });
    w.MnuFont_Click();
    QVERIFY(seen);
    QVERIFY(extrasHidden);
    QVERIFY(opened.bold());
    QCOMPARE(opened.pointSizeF(), 16.0);
    QVERIFY(opened.family().contains(QStringLiteral("Mincho"))); // the substitute
    QCOMPARE(w.boardFont(), before);
    QCOMPARE(w.TxtMsg()->font(), msgFont);
    QVERIFY(test::fake().messages.isEmpty());
}

void TestFrmMainSettings::fontDialogChoice()
{
    FrmMain w;
    QVERIFY(w.startUp());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QFont msgFont = w.TxtMsg()->font();
    QList<QRect> places;
    for (QLabel* l : boardLabels(w))
        places.append(l->geometry());

    QFont opened;
    QFont pick(QStringLiteral("DejaVu Serif"));
    pick.setPointSizeF(11);
    pick.setBold(false);
    pick.setItalic(true);
    whenFontDialogShows([&](QFontDialog* dlg) {
        dlg->setCurrentFont(pick);
        dlg->accept();
    });
    w.MnuFont_Click();

    QCOMPARE(w.boardFont().family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(w.boardFont().pointSizeF(), 11.0);
    QVERIFY(!w.boardFont().bold());
    QVERIFY(w.boardFont().italic());
    const QList<QLabel*> labels = boardLabels(w);
    QCOMPARE(labels.size(), 67);
    for (int i = 0; i < labels.size(); ++i) {
        const QFont f = labels[i]->font();
        QCOMPARE(f.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(f.pointSizeF(), 11.0);
        QVERIFY(!f.bold());
        QVERIFY(f.italic());
        QCOMPARE(labels[i]->geometry(), places[i]);
    }
    QCOMPARE(w.TxtMsg()->font(), msgFont);
    QVERIFY(!QFile::exists(path_)); // only at shut-down

    // The dialog opens on the font now in use.
    whenFontDialogShows([&](QFontDialog* dlg) {
        opened = dlg->currentFont();
        dlg->reject();
    });
    w.MnuFont_Click();
    QCOMPARE(opened.family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(opened.italic());

    w.close();
    const QByteArray file = readAll(path_);
    QVERIFY2(
        file.startsWith("[FONT]\r\nNAME=DejaVu Serif\r\nSIZE=11\r\nBOLD=False\r\nITALIC=True\r\n"),
        file.constData());
}

void TestFrmMainSettings::fontDialogKeepsRequestedFace()
{
    FrmMain w;
    QVERIFY(w.startUp());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The default face is shown through its substitute; taking it unchanged
    // keeps the face's own name.
    whenFontDialogShows([&](QFontDialog* dlg) {
        // The size typed into the size box, as a user does.
        const auto edits = dlg->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
        edits.at(2)->setText(QStringLiteral("20"));
        dlg->accept();
    });
    w.MnuFont_Click();
    QCOMPARE(w.boardFont().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    QCOMPARE(w.boardFont().pointSizeF(), 20.0);
    QVERIFY(w.boardFont().bold()); // a style the substitute does not list
    QCOMPARE(w.lblYes()->font().family(), QStringLiteral("IPAPMincho"));
    QCOMPARE(w.lblYes()->font().pointSizeF(), 20.0);
}

// The IPA faces have no bold style: the dialog offers a synthetic one, opens
// on it for the bold default font, and choosing the regular style un-bolds the
// board while the face keeps its name.
void TestFrmMainSettings::fontDialogBoldOfAFaceWithoutBold()
{
    FrmMain w;
    QVERIFY(w.startUp());
    QString openedStyle;
    QStringList styles;
    whenFontDialogShows([&](QFontDialog* dlg) {
        const auto lists = dlg->findChildren<QListView*>(Qt::FindDirectChildrenOnly);
        auto* styleList = lists.at(1);
        openedStyle = styleList->currentIndex().data().toString();
        for (int r = 0; r < styleList->model()->rowCount(); ++r)
            styles << styleList->model()->index(r, 0).data().toString();
        styleList->setCurrentIndex(styleList->model()->index(styles.indexOf(u"Regular"_qs), 0));
        dlg->accept();
    });
    w.MnuFont_Click();
    QCOMPARE(styles, (QStringList{u"Regular"_qs, u"Bold"_qs}));
    QCOMPARE(openedStyle, u"Bold"_qs);
    QVERIFY(!w.boardFont().bold());
    QCOMPARE(w.boardFont().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    QVERIFY(!w.LblChar(10)->font().bold());
}

// A face no longer on the machine: the labels show an installed face and the
// settings file keeps the name.
void TestFrmMainSettings::absentFaceKeepsItsName()
{
    writeAll(path_, "[FONT]\r\nNAME=No Such Face\r\nSIZE=12\r\n");
    FrmMain w;
    QVERIFY(w.startUp());
    const QString shown = w.LblChar(10)->font().family();
    QVERIFY(!shown.isEmpty() && shown != u"No Such Face"_qs);
    QVERIFY(QFontDatabase::hasFamily(shown));
    w.close();
    QVERIFY(readAll(path_).startsWith("[FONT]\r\nNAME=No Such Face\r\nSIZE=12\r\n"));
}

HONURA_TEST_MAIN(TestFrmMainSettings)
#include "test_frmmain_settings.moc"
