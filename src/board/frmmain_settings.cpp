// The board's settings: load at start-up, geometry refresh and save at shut-down,
// and the font command.
#include "board/frmmain.h"

#include "board/boardfont.h"
#include "platform/platform.h"
#include "settings/atomicfile.h"
#include "settings/boardsettings.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace honura {

namespace {

QRect twipsToPixelRect(const FormGeometry& g, double tppX, double tppY)
{
    return {twips::twipsToPixels(g.left, tppX), twips::twipsToPixels(g.top, tppY),
            twips::twipsToPixels(g.width, tppX), twips::twipsToPixels(g.height, tppY)};
}

// The smallest usable board, in pixels.
QSize smallestBoard(double tppX, double tppY)
{
    return twipsToPixelRect(FormGeometry{0, 0, kMinWidth, kMinHeight}, tppX, tppY).size();
}

// The screens' areas that windows may take, in pixels.
QList<QRect> screenAreas()
{
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas.append(s->availableGeometry());
    return areas;
}

// The board's outer rectangle on the screens as they are now (see fitOnScreens).
FormGeometry onScreen(const FormGeometry& g)
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const QRect wanted = twipsToPixelRect(g, tppX, tppY);
    const QRect fitted = fitOnScreens(wanted, screenAreas(), smallestBoard(tppX, tppY),
                                      twipsToPixelRect(FormGeometry{}, tppX, tppY).size());
    if (fitted == wanted)
        return g;
    return {twips::roundEven(fitted.y() * tppY), twips::roundEven(fitted.x() * tppX),
            twips::roundEven(fitted.width() * tppX), twips::roundEven(fitted.height() * tppY)};
}

// True when some screen can hold a board of a usable size.
bool usableScreen()
{
    const QSize smallest = smallestBoard(platform().twipsPerPixelX(), platform().twipsPerPixelY());
    const QList<QRect> areas = screenAreas();
    return std::any_of(areas.begin(), areas.end(), [&smallest](const QRect& a) {
        return a.width() >= smallest.width() && a.height() >= smallest.height();
    });
}

} // namespace

void FrmMain::SettingLoad()
{
    // What a save cut short by a crash or a power cut left beside the file.
    profile::removeStaleTemporaries(platform().settingsPath());
    const BoardSettings s = loadBoardSettings(platform().settingsReadPath());
    setBoardFont(makeFont(s.fontName, s.fontSize, s.bold, s.italic));
    formGeometry_ = {s.top, s.left, s.width, s.height};
    setOuterTwips(onScreen(formGeometry_));
}

// Without a screen that can hold the board (every output off, a sliver), the
// window's rectangle says nothing of where the user wants the board: the
// geometry read at start-up is kept as it was read.
void FrmMain::GeometryRefresh()
{
    if (!usableScreen())
        return;
    const bool normal = platform().inNormalState(*this);
    const QRectF r = normal || lastNormalOuter_.isEmpty() ? outerTwips() : lastNormalOuter_;
    formGeometry_ = onScreen({twips::roundEven(r.top()), twips::roundEven(r.left()),
                              twips::roundEven(r.width()), twips::roundEven(r.height())});
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
