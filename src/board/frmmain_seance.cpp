// Possession mode, spelling and committing, and the pointer confinement.
#include "board/frmmain.h"

namespace honura {

// Not built yet: the séance itself.
void FrmMain::LblChar_Click(int) {}
void FrmMain::ImgMark_Click() {}
void FrmMain::ImgMark_DblClick() {}
void FrmMain::CursorClip() {}
void FrmMain::CursorFree() {}
void FrmMain::MnuLog_Click() {}

} // namespace honura
