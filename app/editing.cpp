#include "app/editing.h"

#include <array>
#include <string>

#include "app/globals.h"
#include "config/prize_table.h"
#include "config/rate_rules.h"
#include "runtime/files.h"
#include "runtime/ini.h"
#include "runtime/text.h"
#include "runtime/win/message_box.h"
#include "ui/components.h"
#include "ui/model/ids.h"
#include "app/wheel.h"

namespace kelvra {

namespace {

std::array<std::string, 10> BoxTexts(WindowId window, const int32_t (&boxes)[10]) {
    std::array<std::string, 10> texts;
    for (int i = 0; i < 10; ++i) texts[i] = ReadText(window, boxes[i]);
    return texts;
}

}  // namespace

void LoadPrizeTableIntoBoxes() {
    LoadPrizeTable(G().prizeTable, [](int i, const std::string& name) {
        // The rate window can outlive the main window; its save must not end the program
        // because the name boxes are gone.
        if (FindLoadedWindow(WindowId::Main) == nullptr) return;
        WriteText(WindowId::Main, ids::kMainNameBox[i - 1], 8, name);
    });
}

int32_t ComputeTotal() {
    const int32_t total = ComputeRateTotal(BoxTexts(WindowId::Rate, ids::kRateBox));
    G().currentRateTotal = total;
    WriteNumber(WindowId::Rate, ids::kRateTotal, 16, -1, TotalColour(total));
    return total;
}

void ShowTotal() {
    const int32_t n = ComputeTotal();
    WriteText(WindowId::Rate, ids::kRateTotal, 8, TotalCaption(n));
}

void LoadRateBoxes() {
    if (!FileExists(ConfigPath())) return;
    for (int i = 1; i <= 10; ++i) {
        const std::string rate =
            IniReadText(ConfigPath(), "中奖率", ConcatText({"中奖率", IntToText(i)}));
        WriteText(WindowId::Rate, ids::kRateBox[i - 1], 8, rate);
    }
}

void SaveRates() {
    if (G().currentRateTotal != 100) {
        ShowMessageBox("中间率必须为100%，请重新设置！", 0);
        return;
    }
    SaveSection("中奖率", "中奖率", BoxTexts(WindowId::Rate, ids::kRateBox));
    LoadPrizeTableIntoBoxes();
}

void SaveNames() {
    SaveSection("奖项", "奖项", BoxTexts(WindowId::Main, ids::kMainNameBox));
    LoadPrizeTableIntoBoxes();
    DrawWheel();
}

}  // namespace kelvra
