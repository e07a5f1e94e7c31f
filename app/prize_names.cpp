#include "app/prize_names.h"

#include "app/state.h"
#include "app/wheel_drawing.h"
#include "config/rate_rules.h"
#include "runtime/win/message_box.h"
#include "ui/model/ids.h"
#include "ui/property_access.h"

namespace kelvra {

void LoadPrizeTableIntoBoxes() {
    LoadPrizeTable(State().prizeTable, [](int i, const std::string& name) {
        // The rate window can outlive the main window; its save must not end the program
        // because the name boxes are gone.
        if (FindLoadedWindow(WindowId::Main) == nullptr) return;
        WriteContent(WindowId::Main, ids::kMainNameBox[i - 1], name);
    });
}

void SaveNames() {
    std::array<std::string, 10> names;
    for (int i = 0; i < 10; ++i) names[i] = ReadContent(WindowId::Main, ids::kMainNameBox[i]);
    // A save that could not be written is told, and the boxes keep what was typed.
    const SaveResult r = SaveSection("奖项", "奖项", names);
    if (!r.saved()) {
        ShowMessageBox(SaveFailureText(r), 0);
        return;
    }
    LoadPrizeTableIntoBoxes();
    DrawWheel();
    // The names that changed are drawn by the next F11: drawing them here, at each save, left the
    // heap about 40 kB larger every time.
    if (LoadedWindow* main = FindLoadedWindow(WindowId::Main))
        main->DrawFullScreenTextsAhead(false);
}

}  // namespace kelvra
