#include "app/rate_window.h"

#include <array>
#include <string>

#include "app/prize_names.h"
#include "app/state.h"
#include "config/rate_rules.h"
#include "runtime/files.h"
#include "runtime/ini.h"
#include "runtime/text.h"
#include "runtime/win/message_box.h"
#include "ui/model/ids.h"
#include "ui/property_access.h"

namespace kelvra {

namespace {

std::array<std::string, 10> RateTexts() {
    std::array<std::string, 10> texts;
    for (int i = 0; i < 10; ++i) texts[i] = ReadContent(WindowId::Rate, ids::kRateBox[i]);
    return texts;
}

}  // namespace

void LoadRateBoxes() {
    if (!FileExists(ConfigPath())) return;
    IniReader file(ConfigPath());
    for (int i = 1; i <= 10; ++i) {
        const std::string rate = file.Read("中奖率", ConcatText({"中奖率", IntToText(i)}));
        WriteContent(WindowId::Rate, ids::kRateBox[i - 1], rate);
    }
}

int32_t ComputeTotal() {
    const int32_t total = ComputeRateTotal(RateTexts());
    State().currentRateTotal = total;
    return total;
}

void ShowTotal() {
    const int32_t total = ComputeTotal();
    WriteTextColour(WindowId::Rate, ids::kRateTotal, TotalColour(total));
    WriteCaption(WindowId::Rate, ids::kRateTotal, TotalCaption(total));
}

void SaveRates() {
    if (State().currentRateTotal != 100) {
        ShowMessageBox("中间率必须为100%，请重新设置！", 0);
        return;
    }
    const SaveResult r = SaveSection("中奖率", "中奖率", RateTexts());
    if (!r.saved()) {
        ShowMessageBox(SaveFailureText(r), 0);
        return;
    }
    LoadPrizeTableIntoBoxes();
}

}  // namespace kelvra
