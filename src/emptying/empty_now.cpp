// "Empty Trash Bin Now (Test)": empty at once after a confirmation.

#include "app/form1.h"
#include "emptying/mod_clean_up.h"
#include "runtime/error_trap.h"

namespace tw {

void Form1::PushButton2_Click() {
    ErrorTrap trap(errorBox(services_.messageBox), "Form1", "PushButton2_Click");
    MsgAnswer answer = MsgAnswer::No;
    trap.run(100, [&] {
        answer = services_.messageBox.show("Are you sure you want to empty the Recycle Bin now?",
                                           AppTitle, MsgButtons::YesNo, MsgIcon::None);
    });
    if (answer == MsgAnswer::Yes) {
        trap.run(102, [&] {
            const bool silent = false;
            modCleanUp::EmptyTrash(*this, silent);
        });
    }
}

}  // namespace tw
