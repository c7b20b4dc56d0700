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

// Writes the eight keys in that order, in one replace of the file. False when
// the file could not be written.
bool saveBoardSettings(const QString& path, const BoardSettings& s);

// The smallest board the file or a screen may give, in twips: below it the
// cells, the message box and the menu can no longer be used.
inline constexpr std::int32_t kMinWidth = 3465;
inline constexpr std::int32_t kMinHeight = 2790;

// Where a window whose outer rectangle is window goes on screens (their
// available areas), all in pixels. Screens smaller than minimum do not count.
// The window is at least minimum and no larger than the screen it is on most
// (or, off every screen, the nearest one); off every screen it is brought
// onto that screen, as close to where it was as the screen allows; with its
// top edge above every screen, it comes down to that screen's top, so that
// its title bar can be reached. Without a screen that counts, the size is
// bounded by minimum and fallback and the window stays where it was (onto the
// first screen when it lies outside every one).
QRect fitOnScreens(const QRect& window, const QList<QRect>& screens, const QSize& minimum,
                   const QSize& fallback);

} // namespace honura
