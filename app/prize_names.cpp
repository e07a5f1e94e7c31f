#include "app/prize_names.h"

#include "app/state.h"
#include "app/wheel_drawing.h"
#include "config/rate_rules.h"
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
    SaveSection("奖项", "奖项", names);
    LoadPrizeTableIntoBoxes();
    DrawWheel();
}

}  // namespace kelvra
