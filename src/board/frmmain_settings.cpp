// The board's settings: load at start-up, geometry refresh and save at shut-down,
// and the font command.
#include "board/frmmain.h"

#include "platform/platform.h"
#include "settings/atomicfile.h"
#include "settings/boardsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace honura {

namespace {

QFont makeFont(const QString& family, double points, bool bold, bool italic)
{
    QFont f;
    f.setFamily(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QRect twipsToPixelRect(const FormGeometry& g, double tppX, double tppY)
{
    return {layout::twipsToPixels(g.left, tppX), layout::twipsToPixels(g.top, tppY),
            layout::twipsToPixels(g.width, tppX), layout::twipsToPixels(g.height, tppY)};
}

// The saved geometry, moved onto the nearest screen when it lies outside all of them.
FormGeometry onScreen(const FormGeometry& g)
{
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->geometry());
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const QRect wanted = twipsToPixelRect(g, tppX, tppY);
    const QRect fitted = fitOnScreens(wanted, screens);
    if (fitted == wanted)
        return g;
    return {layout::roundEven(fitted.y() * tppY), layout::roundEven(fitted.x() * tppX),
            layout::roundEven(fitted.width() * tppX), layout::roundEven(fitted.height() * tppY)};
}

// The face the font dialog starts on: where the board's face is only known
// through its substitute, the substitute, spelt as the font list spells it.
QString dialogFamily(const QString& family)
{
    if (QFontDatabase::hasFamily(family))
        return family;
    const QString sub = QFont::substitute(family);
    for (const QString& listed : QFontDatabase::families())
        if (listed.compare(sub, Qt::CaseInsensitive) == 0)
            return listed;
    return family;
}

// The board font offers face, style and size only: no effects, no writing system.
void hideExtras(QFontDialog& dlg)
{
    for (QGroupBox* box : dlg.findChildren<QGroupBox*>())
        if (!box->findChildren<QCheckBox*>().isEmpty())
            box->hide();
    for (QComboBox* combo : dlg.findChildren<QComboBox*>()) {
        combo->hide();
        for (QLabel* label : dlg.findChildren<QLabel*>())
            if (label->buddy() == combo)
                label->hide();
    }
}

} // namespace

void FrmMain::SettingLoad()
{
    const QString path = platform().settingsPath();
    // What a save cut short by a crash or a power cut left beside the file.
    profile::removeStaleTemporaries(path);
    const BoardSettings s = loadBoardSettings(path);
    setBoardFont(makeFont(s.fontName, s.fontSize, s.bold, s.italic));
    formGeometry_ = onScreen({s.top, s.left, s.width, s.height});
    setOuterTwips(formGeometry_);
}

void FrmMain::GeometryRefresh()
{
    const bool normal =
        !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRectF r = normal || lastNormalOuter_.isEmpty() ? outerTwips() : lastNormalOuter_;
    formGeometry_ = {layout::roundEven(r.top()), layout::roundEven(r.left()),
                     layout::roundEven(r.width()), layout::roundEven(r.height())};
}

void FrmMain::SettingSave()
{
    BoardSettings s;
    s.fontName = boardFont_.family();
    s.fontSize = static_cast<float>(boardFont_.pointSizeF());
    s.bold = boardFont_.bold();
    s.italic = boardFont_.italic();
    s.top = formGeometry_.top;
    s.left = formGeometry_.left;
    s.width = formGeometry_.width;
    s.height = formGeometry_.height;
    saveBoardSettings(platform().settingsPath(), s);
}

void FrmMain::MnuFont_Click()
{
    const QFont board = boardFont_;
    const QString shown = dialogFamily(board.family());
    QFontDialog dlg(this);
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setCurrentFont(makeFont(shown, board.pointSizeF(), board.bold(), board.italic()));
    hideExtras(dlg);
    // The dialog lists only the styles a face has and whole sizes, so it may
    // open on less than the board font: what the user leaves as it opened stays
    // as the board has it.
    const QFont opened = dlg.currentFont();
    if (dlg.exec() != QDialog::Accepted)
        return;
    const QFont chosen = dlg.selectedFont();
    if (chosen.pointSizeF() <= 0 || chosen.family().isEmpty())
        return;
    const bool sameFace = chosen.family() == opened.family();
    const bool sameStyle =
        sameFace && chosen.bold() == opened.bold() && chosen.italic() == opened.italic();
    const bool sameSize = chosen.pointSizeF() == opened.pointSizeF();
    setBoardFont(makeFont(sameFace ? board.family() : chosen.family(),
                          sameSize ? board.pointSizeF() : chosen.pointSizeF(),
                          sameStyle ? board.bold() : chosen.bold(),
                          sameStyle ? board.italic() : chosen.italic()));
    FontSet();
}

} // namespace honura
