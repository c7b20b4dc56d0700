// The board's settings: load at start-up, geometry refresh and save at shut-down,
// and the font command.
#include "board/frmmain.h"

namespace honura {

// Not built yet: the settings file. The defaults meanwhile.
void FrmMain::SettingLoad()
{
    QFont f(QStringLiteral("ＭＳ Ｐ明朝"));
    f.setPointSizeF(16);
    f.setBold(true);
    f.setItalic(false);
    setBoardFont(f);
    formGeometry_ = FormGeometry{};
    setOuterTwips(formGeometry_);
}

void FrmMain::GeometryRefresh()
{
    const QRectF r = outerTwips();
    formGeometry_ = {layout::roundEven(r.top()), layout::roundEven(r.left()),
                     layout::roundEven(r.width()), layout::roundEven(r.height())};
}

void FrmMain::SettingSave() {}
void FrmMain::MnuFont_Click() {}

} // namespace honura
