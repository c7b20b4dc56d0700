// The About command.
#include "about/frmabout.h"
#include "board/frmmain.h"

namespace honura {

// The About window is loaded afresh each time and shown modally with no owner;
// the command returns when it is closed.
void FrmMain::MnuAbout_Click()
{
    frmAbout about;
    about.exec();
}

} // namespace honura
