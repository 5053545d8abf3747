// "Show Journal": the record of past empties, one click from the window.

#include "app/form1.h"

namespace tw {

void Form1::PushButton5_Click() {
    const std::string path = services_.journal.location();
    auto say = [&](const std::string& text) {
        services_.messageBox.show(text, AppTitle, MsgButtons::Ok, MsgIcon::None);
    };
    if (path.empty()) {
        say("Tidewell can't keep a journal of empties here: it has no folder to keep it in.");
    } else if (!services_.files.modificationTime(path)) {
        say("No empty has been recorded yet. The journal of empties will be kept in:\n" + path);
    } else if (!services_.textViewer.open(path)) {
        say("No program could be started to show the journal of empties. It is kept in:\n" + path);
    }
}

}  // namespace tw
