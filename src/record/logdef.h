#pragma once
// The record window as data: its properties and its controls, in twips
// relative to the client area's top-left corner.

#include <QStringView>
#include <array>

namespace honura::logdef {

inline constexpr QStringView kCaption = u"記録";
// Client area, fixed: the user cannot resize the window.
inline constexpr double kClientWidth = 7170;
inline constexpr double kClientHeight = 3735;

enum class Kind { TextBox, Button };

// One control, in tab order: TxtLog holds the focus when the window is first shown.
struct ControlDef {
    const char* name;
    Kind kind;
    QStringView caption;
    double left;
    double top;
    double width;
    double height;
};

inline constexpr std::array<ControlDef, 3> kControls = {{
    {"TxtLog", Kind::TextBox, u"", 0, 0, 7095, 3015},
    {"CmdClose", Kind::Button, u"閉じる", 5880, 3240, 1095, 375},
    {"CmdErase", Kind::Button, u"消\u3000去", 240, 3240, 1095, 375},
}};

} // namespace honura::logdef
