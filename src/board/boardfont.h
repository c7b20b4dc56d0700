#pragma once
// The board font's faces: the substitutes drawn where the faces the board
// was designed for are absent, and the font dialog of the command "字体".
// The face name the board keeps and saves is always the one requested; only
// what is drawn and what the dialog starts on is the substitute.

#include <QFont>
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

// Shows the font dialog, modal over parent, opened on the font the board
// shows: its family as the dialog lists it, its size, and a bold style where
// the board is bold (also for faces without a bold style of their own, which
// get a synthetic one). Offers face, style and size only. Returns the choice,
// or nothing when the dialog is cancelled. What the user leaves as it opened
// stays as the board has it, so an absent face keeps its name.
std::optional<QFont> chooseBoardFont(QWidget* parent, const QFont& board);

} // namespace honura
