#pragma once
// The board window as data: its properties, its controls from back to front,
// the character table and the menu bar. Sizes in twips.

#include <QColor>
#include <QStringView>
#include <Qt>
#include <array>

namespace honura::boarddef {

inline constexpr QStringView kCaption = u"ホヌラ";
// Client area of the definition (replaced by the saved geometry before showing).
inline constexpr double kClientWidth = 6825;
inline constexpr double kClientHeight = 5250;
inline constexpr QColor kBackground{255, 255, 255};

// The character table, index 0 to 64: row i / 11, column i % 11 from the left.
// Empty entries are blank cells (real, clickable cells without a caption).
inline constexpr std::array<QStringView, 65> kCharTable = {
    u"ん", u"わ", u"ら", u"や", u"ま", u"は", u"な", u"た", u"さ", u"か", u"あ", //
    u"",   u"ゐ", u"り", u"",   u"み", u"ひ", u"に", u"ち", u"し", u"き", u"い", //
    u"",   u"う", u"る", u"ゆ", u"む", u"ふ", u"ぬ", u"つ", u"す", u"く", u"う", //
    u"",   u"ゑ", u"れ", u"",   u"め", u"へ", u"ね", u"て", u"せ", u"け", u"え", //
    u"",   u"を", u"ろ", u"よ", u"も", u"ほ", u"の", u"と", u"そ", u"こ", u"お", //
    u"",   u"一", u"二", u"三", u"四", u"五", u"六", u"七", u"八", u"九",
};

enum class Kind { TextBox, Image, Label, LabelArray };

// One control of the board. Labels are drawn opaque in kBackground.
struct ControlDef {
    const char* name;
    Kind kind;
    QStringView caption;
    Qt::Alignment alignment;
    bool visible;
    QStringView accessibleName; // for controls without a caption of their own
};

inline constexpr QStringView kToriiName = u"鳥居";

// Back to front: later entries are drawn over earlier ones. LblChar is stacked
// from element 64 (back) to element 0 (front); the message box lies on top.
inline constexpr std::array<ControlDef, 6> kControls = {{
    {"ImgHide", Kind::Image, u"", {}, false, u""},
    {"ImgMark", Kind::Image, u"", {}, true, kToriiName},
    {"LblChar", Kind::LabelArray, u"", Qt::AlignHCenter | Qt::AlignTop, true, u""},
    {"lblYes", Kind::Label, u"はい", Qt::AlignLeft | Qt::AlignTop, true, u""},
    {"lblNo", Kind::Label, u"いいえ", Qt::AlignLeft | Qt::AlignTop, true, u""},
    {"TxtMsg", Kind::TextBox, u"", {}, true, u"メッセージ"},
}};

// What a screen reader is told of the séance: the cell's caption when a cell
// spells, these when a message is committed (%1: the message) and when the
// mode changes. In possession mode the torii's name (kToriiName in normal
// mode) tells the mode.
inline constexpr QStringView kSaidCommitted = u"「%1」を記録しました";
inline constexpr QStringView kSaidPossessed = u"憑依モード";
inline constexpr QStringView kSaidNormal = u"通常モード";
inline constexpr QStringView kToriiPossessedName = u"鳥居（憑依モード）";

// The message box's fixed height; it is the first and only tab stop.
inline constexpr double kTxtMsgHeight = 375;

// The labels' font until the board font replaces it at start-up.
inline constexpr QStringView kLabelFace = u"ＭＳ Ｐ明朝";
inline constexpr double kLabelPointSize = 15.75;
inline constexpr bool kLabelBold = true;

// Menu bar, left to right: four plain commands, no drop-downs, no access keys.
struct MenuDef {
    const char* name;
    QStringView caption;
};
inline constexpr std::array<MenuDef, 4> kMenu = {{
    {"MnuEnd", u"終了"},
    {"MnuFont", u"字体"},
    {"MnuLog", u"記録"},
    {"MnuAbout", u"ホヌラについて"},
}};

} // namespace honura::boarddef
