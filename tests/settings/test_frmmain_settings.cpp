// The board's settings at start-up and shut-down, and the font command.
#include "board/boardfont.h"
#include "board/fontdialog.h"
#include "board/frmmain.h"
#include "controls/clicklabel.h"
#include "testmain.h"

#include "filehelpers.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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
void whenFontDialogShows(std::function<void(FontDialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dlg = qobject_cast<FontDialog*>(w);
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

// Types text into the font dialog's size box, as a user does: full-width
// characters come as an input method's commit.
void typeSize(FontDialog* dlg, const QString& text)
{
    QLineEdit* box = dlg->sizeEdit();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    if (text.toLatin1() == text.toUtf8()) {
        QTest::keyClicks(box, text);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(box, &commit);
    }
}

QStringList rows(const QListWidget* list)
{
    QStringList r;
    for (int i = 0; i < list->count(); ++i)
        r << list->item(i)->text();
    return r;
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
    void fontDialogBoldBothWays();
    void fontDialogBadSizes();
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
    const QFont labelBefore = w.LblChar(10)->font();
    const QFont msgFont = w.TxtMsg()->font();
    bool seen = false;
    QString face;
    QStringList styles;
    std::optional<double> points;
    bool bold = false;
    bool italic = true;
    int sampleHeight = 0;
    whenFontDialogShows([&](FontDialog* dlg) {
        seen = true;
        face = dlg->face();
        styles = rows(dlg->styleList());
        points = dlg->points();
        bold = dlg->bold();
        italic = dlg->italic();
        sampleHeight = dlg->sample()->height() / dlg->fontMetrics().height();
        dlg->faceList()->setCurrentRow(0); // changed, then cancelled
        typeSize(dlg, u"30"_qs);
        dlg->reject();
    });
    w.MnuFont_Click();
    QVERIFY(seen);
    // Opened on the board font, as drawn: its substitute, bold, 16 points.
    QVERIFY(face.contains(QStringLiteral("Mincho")));
    QVERIFY(bold && !italic);
    QCOMPARE(points.value_or(0), 16.0);
    // The four styles the board keeps, each named in the one language of Qt's texts.
    QCOMPARE(styles, (QStringList{styleName(false, false), styleName(false, true),
                                  styleName(true, false), styleName(true, true)}));
    QVERIFY(sampleHeight >= 2); // room for a large sample
    QCOMPARE(w.boardFont(), before);
    QCOMPARE(w.LblChar(10)->font(), labelBefore);
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

    // DejaVu Serif, italic, 10.5 points: a size with a fraction, typed.
    whenFontDialogShows([&](FontDialog* dlg) {
        const auto found = dlg->faceList()->findItems(u"DejaVu Serif"_qs, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        dlg->faceList()->setCurrentItem(found.first());
        dlg->styleList()->setCurrentRow(1);
        typeSize(dlg, u"10.5"_qs);
        dlg->accept();
    });
    w.MnuFont_Click();

    QCOMPARE(w.boardFont().family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(w.boardFont().pointSizeF(), 10.5);
    QVERIFY(!w.boardFont().bold());
    QVERIFY(w.boardFont().italic());
    const QList<QLabel*> labels = boardLabels(w);
    QCOMPARE(labels.size(), 67);
    for (int i = 0; i < labels.size(); ++i) {
        const QFont f = labels[i]->font();
        QCOMPARE(f.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(f.pointSizeF(), 10.5);
        QVERIFY(!f.bold());
        QVERIFY(f.italic());
        QCOMPARE(labels[i]->geometry(), places[i]);
    }
    QCOMPARE(w.TxtMsg()->font(), msgFont);
    QVERIFY(!QFile::exists(path_)); // only at shut-down

    // The dialog opens on the font now in use.
    QStringList opened;
    whenFontDialogShows([&](FontDialog* dlg) {
        opened = QStringList{dlg->face(), dlg->styleList()->currentItem()->text(),
                             dlg->sizeEdit()->text(), dlg->sizeList()->currentItem()->text()};
        dlg->reject();
    });
    w.MnuFont_Click();
    QCOMPARE(opened,
             (QStringList{u"DejaVu Serif"_qs, styleName(false, true), u"10.5"_qs, u"10.5"_qs}));

    w.close();
    const QByteArray file = readAll(path_);
    QVERIFY2(file.startsWith(
                 "[FONT]\r\nNAME=DejaVu Serif\r\nSIZE=10.5\r\nBOLD=False\r\nITALIC=True\r\n"),
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
    whenFontDialogShows([&](FontDialog* dlg) {
        typeSize(dlg, u"20"_qs);
        dlg->accept();
    });
    w.MnuFont_Click();
    QCOMPARE(w.boardFont().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    QCOMPARE(w.boardFont().pointSizeF(), 20.0);
    QVERIFY(w.boardFont().bold()); // a style the substitute does not have
    QCOMPARE(w.lblYes()->font().family(), QStringLiteral("IPAPMincho"));
    QCOMPARE(w.lblYes()->font().pointSizeF(), 20.0);
}

// The IPA faces have no bold of their own: the board is drawn with a synthetic
// one, which can be taken away and given back from the dialog.
void TestFrmMainSettings::fontDialogBoldBothWays()
{
    FrmMain w;
    QVERIFY(w.startUp());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const bool bold : {false, true}) {
        QString sizeListed;
        bool sampleBold = !bold;
        whenFontDialogShows([&](FontDialog* dlg) {
            dlg->styleList()->setCurrentRow(bold ? 2 : 0);
            sizeListed =
                dlg->sizeList()->currentItem() ? dlg->sizeList()->currentItem()->text() : QString();
            sampleBold = dlg->sample()->font().bold();
            dlg->accept();
        });
        w.MnuFont_Click();
        QCOMPARE(sizeListed, u"16"_qs);
        QCOMPARE(sampleBold, bold);
        QCOMPARE(w.boardFont().bold(), bold);
        QCOMPARE(w.LblChar(10)->font().bold(), bold);
        QCOMPARE(w.boardFont().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    }
    w.close();
    QCOMPARE(readAll(path_), test::kDefaultFile); // the default look, brought back
}

// Sizes that are no size: refused with a word why, or brought to the nearest
// size allowed; a face the font list holds without styles is chosen like any.
void TestFrmMainSettings::fontDialogBadSizes()
{
    FontDialog dlg({u"No Such Face"_qs, u"IPAPMincho"_qs});
    dlg.setChoice(u"IPAPMincho"_qs, 16, true, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QPushButton* ok = dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    for (const QString& text : {u"abc"_qs, u""_qs, u"1e3"_qs, u"10.5.1"_qs}) {
        typeSize(&dlg, text);
        QVERIFY2(!dlg.points() && dlg.sizeRefusal()->isVisible(), qPrintable(text));
        dlg.accept(); // OK refuses
        QVERIFY(dlg.isVisible());
    }
    QVERIFY(!ok->isEnabled());
    const std::pair<QString, double> nearest[] = {
        {u"10.5"_qs, 10.5}, {u"１０．５"_qs, 10.5}, {u"10,5"_qs, 10.5}, {u"10.25"_qs, 10.3},
        {u"0"_qs, 1},       {u"-3"_qs, 1},          {u"99999"_qs, 512}};
    for (const auto& [text, points] : nearest) {
        typeSize(&dlg, text);
        QCOMPARE(dlg.points().value_or(0), points);
        QVERIFY(!dlg.sizeRefusal()->isVisible());
    }
    QVERIFY(ok->isEnabled());
    QCOMPARE(dlg.sample()->font().pointSizeF(), 512.0);
    dlg.faceList()->setCurrentRow(0);
    QCOMPARE(dlg.face(), u"No Such Face"_qs);
    QCOMPARE(dlg.sample()->font().family(), u"No Such Face"_qs);
    // OK writes the nearest size into the box.
    QTest::keyClick(dlg.sizeEdit(), Qt::Key_Return);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.sizeEdit()->text(), u"512"_qs);
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
