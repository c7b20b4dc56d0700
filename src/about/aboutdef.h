#pragma once
// The About window as data: its properties, its controls with their tab order
// and look, and the etched rule. Places and sizes in twips, relative to the
// top-left corner of the client area.

#include <QColor>
#include <QStringView>
#include <array>

namespace honura::aboutdef {

// Texts stored with the window; the load steps replace the caption and the
// texts of lblTitle and lblVersion before the window is first seen.
inline constexpr QStringView kStoredCaption = u"ﾊﾞｰｼﾞｮﾝ情報";

// Fixed dialog: client size and the screen position of the client area.
inline constexpr double kClientWidth = 5730;
inline constexpr double kClientHeight = 3555;
inline constexpr double kClientLeft = 2340;
inline constexpr double kClientTop = 1935;

// The window's own font, which every control without a font of its own shows.
inline constexpr QStringView kWindowFace = u"ＭＳ Ｐゴシック";
inline constexpr double kWindowPointSize = 9;

// The author's home page: Label2 shows this address and opens it.
inline constexpr QStringView kHomePage = u"https://brantle.example.net/";

enum class Kind { Picture, Label, Button };

// The look of a control that differs from the window's.
enum class Look {
    Plain,        // the window's font and text colour
    Black,        // black text
    BlackWrapped, // black text, wrapped inside the label
    Link,         // blue, underlined, in kLinkFace at kLinkPointSize
};
inline constexpr QColor kBlack{0, 0, 0};
inline constexpr QColor kLinkColour{0, 0, 255};
inline constexpr QStringView kLinkFace = u"ＭＳ Ｐゴシック";
inline constexpr double kLinkPointSize = 9;

struct ControlDef {
    const char* name;
    Kind kind;
    QStringView caption;
    double left;
    double top;
    double width;
    double height;
    int tabIndex; // keyboard order, 0 first
    Look look;
    QStringView accessibleName; // where the caption does not say what it is
};

inline constexpr std::array<ControlDef, 8> kControls = {{
    {"picIcon", Kind::Picture, u"", 240, 240, 540, 540, 1, Look::Plain, u"ホヌラのアイコン"},
    {"lblTitle", Kind::Label, u"ホヌラ", 1050, 240, 3885, 240, 5, Look::Black, u""},
    {"lblVersion", Kind::Label, u"ﾊﾞｰｼﾞｮﾝ　1.0", 1050, 480, 3885, 225, 6, Look::Plain, u""},
    {"lblDescription", Kind::Label,
     u"鳥居をダブルクリックするとカーソルが変わり、憑依モードになります。"
     u"マウスを移動し、一文字ずつクリックしていくと、上の窓に文字が記録されます。"
     u"鳥居に戻ってクリックすると記録画面に記録されます。"
     u"再びダブルクリックすると通常モードになります。"
     u"ウィンドウの位置、サイズ、フォントはiniファイルに記録されます。",
     1050, 840, 4245, 1290, 3, Look::BlackWrapped, u""},
    {"cmdOK", Kind::Button, u"OK", 4245, 2625, 1380, 345, 0, Look::Plain, u""},
    {"Label1", Kind::Label, u"作者ホームページ：Brantle", 240, 2880, 3855, 255, 7, Look::Plain,
     u""},
    {"cmdSysInfo", Kind::Button, u"ｼｽﾃﾑ情報(&S)...", 4260, 3075, 1380, 345, 2, Look::Plain, u""},
    {"Label2", Kind::Label, kHomePage, 480, 3240, 2775, 375, 8, Look::Link, u""},
}};

// The etched rule Line1 between the description and the lower block: a grey
// line with a white one under it. Drawn in this order.
struct LineDef {
    double x1;
    double y;
    double x2;
    QColor colour;
    int widthPixels;
};
inline constexpr std::array<LineDef, 2> kLine1 = {{
    {90, 2445, 5654, QColor(128, 128, 128), 1},  // Line1(1)
    {105, 2460, 5654, QColor(255, 255, 255), 2}, // Line1(0)
}};

} // namespace honura::aboutdef
