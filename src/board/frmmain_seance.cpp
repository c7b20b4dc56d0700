// Possession mode, spelling and committing, and the pointer confinement.
#include "board/cursorrect.h"
#include "board/frmmain.h"
#include "controls/clicklabel.h"
#include "pictures/pictures.h"
#include "platform/platform.h"
#include "platform/windowframe.h"
#include "record/frmlog.h"

#include <QCursor>
#include <QLabel>

namespace honura {

namespace {
// Every line of the record ends in CR LF.
constexpr QLatin1String kCrLf("\r\n");
// A screen reader is told no more of a committed message than this.
constexpr qsizetype kSaidAtMost = 100;
} // namespace

// Spell: the cell's caption goes to the end of the message; blank cells add
// nothing. What the input method is composing goes before it.
void FrmMain::LblChar_Click(int index)
{
    TxtMsg()->finishComposition();
    const QString text = TxtMsg()->text();
    const QString caption = LblChar(index)->text();
    TxtMsg()->setText(text + caption);
    announcer_.say(caption);
}

// Commit: the pending message, with what the input method is composing,
// becomes the record's next line. The record window is created hidden when
// absent and is never shown by this.
void FrmMain::ImgMark_Click()
{
    TxtMsg()->finishComposition();
    const QString text = TxtMsg()->text();
    if (!text.isEmpty()) {
        FrmLog::instance(this).appendRecord(QString(text + kCrLf));
        announcer_.say(boarddef::kSaidCommitted.toString().arg(
            text.size() > kSaidAtMost ? text.first(kSaidAtMost) + u'…' : text));
    }
    TxtMsg()->setText(QString());
}

// Toggle the mode. The click of the same gesture has committed already.
void FrmMain::ImgMark_DblClick()
{
    TxtMsg()->finishComposition();
    possessed_ = !possessed_;
    ImgMark()->setChecked(possessed_);
    ImgMark()->setAccessibleName(
        (possessed_ ? boarddef::kToriiPossessedName : boarddef::kToriiName).toString());
    announcer_.say((possessed_ ? boarddef::kSaidPossessed : boarddef::kSaidNormal).toString());
    if (possessed_) {
        CursorClip();
        TxtMsg()->setText(QString());
        const QCursor hand = possessionHand();
        platform().setAppCursor(&hand);
    } else {
        CursorFree();
        platform().setAppCursor(nullptr);
        // Text typed between the two presses of the gesture: it goes to the
        // record after a line break and stays in the message box as well.
        const QString text = TxtMsg()->text();
        if (!text.isEmpty())
            FrmLog::instance(this).appendRecord(QString(kCrLf + text));
    }
}

// The hand of possession mode, which ImgHide carries; drawn when the mode is
// first entered rather than at start-up.
QCursor FrmMain::possessionHand()
{
    if (!imgHide_->testAttribute(Qt::WA_SetCursor))
        imgHide_->setCursor(pictures::possessionCursor(devicePixelRatioF()));
    return imgHide_->cursor();
}

// Confine the pointer to the client area, releasing any earlier confinement
// first. The window manager's frame is known once it has framed the window
// (before that, and where there is none, it is empty, as is the difference
// between outer and client width): its real left and bottom sides are used, so
// that uneven frames (a thin side, a thicker bottom border) give the client
// area all the same.
void FrmMain::CursorClip()
{
    platform().clipCursor(nullptr);
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const QRectF outer = outerTwips();
    const QSizeF client = clientTwips();
    const QMargins frame = windowFrame(this);
    cursorrect::WindowTwips w{
        static_cast<float>(outer.left()),   static_cast<float>(outer.top()),
        static_cast<float>(outer.width()),  static_cast<float>(outer.height()),
        static_cast<float>(client.width()), static_cast<float>(client.height())};
    w.leftFrame = frame.left() * tppX;
    w.bottomFrame = frame.bottom() * tppY;
    const PixelRect r = cursorrect::clientRect(w, tppX, tppY);
    platform().clipCursor(&r);
}

void FrmMain::CursorFree() { platform().clipCursor(nullptr); }

void FrmMain::MnuLog_Click() { FrmLog::showModal(this); }

} // namespace honura
