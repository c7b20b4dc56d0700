// The board's settings: load at start-up, geometry refresh and save at shut-down,
// and the font command.
#include "board/frmmain.h"

#include "board/boardfont.h"
#include "platform/platform.h"
#include "settings/atomicfile.h"
#include "settings/boardsettings.h"

#include <QGuiApplication>
#include <QScreen>

namespace honura {

namespace {

QRect twipsToPixelRect(const FormGeometry& g, double tppX, double tppY)
{
    return {twips::twipsToPixels(g.left, tppX), twips::twipsToPixels(g.top, tppY),
            twips::twipsToPixels(g.width, tppX), twips::twipsToPixels(g.height, tppY)};
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
    return {twips::roundEven(fitted.y() * tppY), twips::roundEven(fitted.x() * tppX),
            twips::roundEven(fitted.width() * tppX), twips::roundEven(fitted.height() * tppY)};
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
    const bool normal = platform().inNormalState(*this);
    const QRectF r = normal || lastNormalOuter_.isEmpty() ? outerTwips() : lastNormalOuter_;
    formGeometry_ = {twips::roundEven(r.top()), twips::roundEven(r.left()),
                     twips::roundEven(r.width()), twips::roundEven(r.height())};
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
    const std::optional<QFont> chosen = chooseBoardFont(this, boardFont_);
    if (!chosen)
        return;
    setBoardFont(*chosen);
    FontSet();
}

} // namespace honura
