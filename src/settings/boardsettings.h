#pragma once
// What the board keeps in the settings file: its font and its outer rectangle.

#include <QList>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

namespace honura {

struct BoardSettings {
    QString fontName = QStringLiteral("ＭＳ Ｐ明朝");
    float fontSize = 16; // points
    bool bold = true;
    bool italic = false;
    // Outer rectangle in twips, from the screen's top-left corner.
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t width = 6945;
    std::int32_t height = 5580;
    friend bool operator==(const BoardSettings&, const BoardSettings&) = default;
};

// Font sizes the board accepts from the file, in points.
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 1638;

// Reads the eight keys in the order NAME, SIZE, BOLD, ITALIC of "FONT", then
// TOP, LEFT, WIDTH, HEIGHT of "Form". A value that does not convert, an empty
// NAME, a SIZE outside the accepted range and a WIDTH or HEIGHT that is not
// positive take the key's default.
BoardSettings loadBoardSettings(const QString& path);

// One key of the file with the text a save writes for it.
struct SettingText {
    QString section;
    QString key;
    QString text;
};
// The eight keys a save writes, in its order: NAME, SIZE, BOLD, ITALIC of
// "FONT", then TOP, LEFT, WIDTH, HEIGHT of "Form".
std::array<SettingText, 8> settingTexts(const BoardSettings& s);

// Writes the eight keys in that order, in one replace of the file.
void saveBoardSettings(const QString& path, const BoardSettings& s);

// Where a window whose outer rectangle is window (pixels) goes: unchanged when
// it overlaps any of screens; otherwise onto the nearest screen, as close to
// where it was as that screen allows and no larger than it.
QRect fitOnScreens(const QRect& window, const QList<QRect>& screens);

} // namespace honura
