#pragma once
// The board font's faces: the substitutes drawn where the faces the board
// was designed for are absent, and the font dialog of the command "字体".
// The face name the board keeps and saves is always the one requested; only
// what is drawn and what the dialog starts on is the substitute.

#include <QFont>
#include <QList>
#include <QString>
#include <optional>

class QWidget;

namespace honura {

// A font of the given face name, size in points, bold and italic.
QFont makeFont(const QString& family, double points, bool bold, bool italic);

// Registers the IPA faces as the substitutes of the Windows faces of the board.
void registerFaceSubstitutes();

// The family the board labels are given for the face name: the face itself
// where it is installed, else the installed face that substitutes it (so the
// toolkit does not search for an absent face again for every font it builds),
// else the face name unchanged (the toolkit falls back on its own).
QString drawnFamily(const QString& face);

// The sizes the font dialog allows, in points: from kMinPoints to kMaxPoints,
// in tenths of a point; and the sizes it lists.
inline constexpr double kMinPoints = 1;
inline constexpr double kMaxPoints = 512;
QList<double> listedPointSizes();

// A size typed into the font dialog: a decimal number (full-width digits and
// a decimal comma taken too), brought to the nearest size allowed. Nothing
// for text that is not a number.
std::optional<double> pointSizeFromText(const QString& text);
// A size as the dialog writes it: "16", "10.5".
QString pointSizeText(double points);

// The name of a style the board keeps, in the language of Qt's own texts:
// "標準", "斜体", "太字", "太字 斜体" with Qt's Japanese translation.
QString styleName(bool bold, bool italic);

// Shows the font dialog, modal over parent, opened on the font the board
// shows: its face as the font list names it, its style and size. Returns the
// choice, or nothing when the dialog is cancelled. A face the user leaves as
// it opened keeps the board's name for it (an absent face, or a Windows face
// drawn by its substitute).
std::optional<QFont> chooseBoardFont(QWidget* parent, const QFont& board);

} // namespace honura
