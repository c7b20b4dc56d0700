// The About command.
#include "board/frmmain.h"

namespace honura {

// Not built yet: the About window.
void FrmMain::MnuAbout_Click() {}

} // namespace honura
