// The three window layouts: consistency of names, ids and parents, and the facts the logic
// relies on (prize numbering, initial rates, the start control over the hub).
#include "ui/model/layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "ui/model/ids.h"

namespace kelvra {
namespace {

const WindowDef* const kWindows[] = {&MainWindowDef(), &RateWindowDef(), &HelpWindowDef()};

const ControlDef& Control(const WindowDef& w, int32_t id) {
    const ControlDef* c = FindControl(w, id);
    EXPECT_NE(c, nullptr) << "no control with id " << id << " in " << w.name;
    static const ControlDef kMissing = [] {
        ControlDef missing{};
        missing.name = "";
        return missing;
    }();
    return c != nullptr ? *c : kMissing;
}

int PrizeNumberInName(const char* name) {
    const std::string_view n(name);
    const std::string_view prefix = "编辑框";
    if (n.size() != prefix.size() + 2 || n.substr(0, prefix.size()) != prefix) return -1;
    return std::stoi(std::string(n.substr(prefix.size())));
}

TEST(Layout, WindowsAreFoundByTheirIds) {
    for (const WindowDef* w : kWindows) {
        EXPECT_EQ(FindWindowDef(static_cast<int32_t>(w->id)), w) << w->name;
    }
    EXPECT_EQ(FindWindowDef(0), nullptr);
    EXPECT_EQ(FindWindowDef(4), nullptr);
}

TEST(Layout, NamesAndIdsAreUniqueWithinEachWindow) {
    for (const WindowDef* w : kWindows) {
        std::set<std::string> names;
        std::set<int32_t> ids;
        for (const ControlDef& c : w->controls) {
            EXPECT_TRUE(names.insert(c.name).second) << w->name << ": name " << c.name << " twice";
            EXPECT_TRUE(ids.insert(c.id).second) << w->name << ": id " << c.id << " twice";
            EXPECT_NE(c.id, w->selfId) << w->name << ": " << c.name << " has the window's id";
            EXPECT_EQ(FindControl(*w, c.name), &c) << c.name;
            EXPECT_EQ(FindControl(*w, c.id), &c) << c.name;
        }
        EXPECT_EQ(FindControl(*w, "no such control"), nullptr);
        EXPECT_EQ(FindControl(*w, w->selfId), nullptr) << "the window itself is not a control";
    }
}

TEST(Layout, EveryParentExistsAndPagesBelongToTabs) {
    for (const WindowDef* w : kWindows) {
        for (const ControlDef& c : w->controls) {
            if (c.parent == w->selfId) {
                EXPECT_EQ(c.page, -1) << w->name << ": " << c.name;
                continue;
            }
            const ControlDef* parent = FindControl(*w, c.parent);
            ASSERT_NE(parent, nullptr) << w->name << ": parent of " << c.name;
            EXPECT_EQ(parent->type, ControlType::Tab) << c.name;
            EXPECT_TRUE(c.page == 0 || c.page == 1) << c.name << " on page " << c.page;
            EXPECT_LT(parent - w->controls.data(), &c - w->controls.data())
                << c.name << " comes before its parent";
        }
    }
}

TEST(Layout, NamesAreGbk) {
    const ControlDef& box = Control(MainWindowDef(), ids::kMainNameBox[0]);
    EXPECT_EQ(std::string(box.name),
              "\xB1\xE0\xBC\xAD\xBF\xF2"
              "01");
}

TEST(Layout, StartControlCoversTheHubInCanvasCoordinates) {
    const ControlDef& canvas = Control(MainWindowDef(), ids::kMainCanvas);
    const ControlDef& start = Control(MainWindowDef(), ids::kMainStart);
    ASSERT_EQ(start.parent, canvas.parent);
    ASSERT_EQ(start.page, canvas.page);
    EXPECT_EQ(start.left - canvas.left, 209);
    EXPECT_EQ(start.left + start.width - 1 - canvas.left, 305);
    EXPECT_EQ(start.top - canvas.top, 208);
    EXPECT_EQ(start.top + start.height - 1 - canvas.top, 304);
}

TEST(Layout, OnlyTheStartControlHasTheHandCursor) {
    for (const WindowDef* w : kWindows) {
        for (const ControlDef& c : w->controls) {
            const bool isStart = w == &MainWindowDef() && c.id == ids::kMainStart;
            EXPECT_EQ(c.handCursor, isStart) << w->name << ": " << c.name;
        }
    }
}

TEST(Layout, TabStopsVisibilityAndPicturesFollowTheControlType) {
    for (const WindowDef* w : kWindows) {
        for (const ControlDef& c : w->controls) {
            const bool stops = c.type == ControlType::EditBox || c.type == ControlType::Button ||
                               c.type == ControlType::CartoonBox;
            EXPECT_EQ(c.tabStop, stops) << w->name << ": " << c.name;
            EXPECT_EQ(c.visible, c.type != ControlType::CartoonObject) << w->name << ": " << c.name;
            if (c.type == ControlType::CartoonBox) {
                EXPECT_EQ(c.picture, Asset::Sunburst) << c.name;
                EXPECT_EQ(c.backColour, Rgb(255, 255, 255)) << c.name;
            }
            if (c.type != ControlType::CartoonBox && c.type != ControlType::CartoonObject) {
                EXPECT_EQ(c.picture, Asset::None) << c.name;
            }
        }
    }
}

// The boxes of both windows: box k (0-based) is prize k + 1, as its name says, and its label
// stands right beside it on the same row.
TEST(Layout, PrizeBoxesAreNumberedByNameWithTheirLabelBeside) {
    struct Case {
        const WindowDef* window;
        const int32_t* boxes;
        const int32_t* labels;
    } cases[] = {
        {&MainWindowDef(), ids::kMainNameBox, ids::kMainPrizeLabel},
        {&RateWindowDef(), ids::kRateBox, ids::kRatePrizeLabel},
    };
    for (const Case& c : cases) {
        int boxCount = 0;
        for (const ControlDef& control : c.window->controls) {
            if (control.type == ControlType::EditBox) ++boxCount;
        }
        EXPECT_EQ(boxCount, 10) << c.window->name;
        for (int k = 0; k < 10; ++k) {
            const ControlDef& box = Control(*c.window, c.boxes[k]);
            const ControlDef& label = Control(*c.window, c.labels[k]);
            EXPECT_EQ(box.type, ControlType::EditBox);
            EXPECT_EQ(PrizeNumberInName(box.name), k + 1) << box.name;
            EXPECT_EQ(label.type, ControlType::Label);
            EXPECT_EQ(label.top, box.top) << label.name << " beside " << box.name;
            EXPECT_EQ(label.left + label.width, box.left) << label.name << " beside " << box.name;
            EXPECT_EQ(std::string_view(label.text).substr(0, 4), "奖项") << label.name;
        }
    }
}

TEST(Layout, NameBoxesStartEmptyAndTakeNineBytes) {
    for (int32_t id : ids::kMainNameBox) {
        const ControlDef& box = Control(MainWindowDef(), id);
        EXPECT_STREQ(box.text, "") << box.name;
        EXPECT_EQ(box.maxLength, 9) << box.name;
        EXPECT_FALSE(box.integerInput) << box.name;
    }
}

TEST(Layout, InitialRatesAreTwoDigitIntegersSummingTo100) {
    int sum = 0;
    for (int32_t id : ids::kRateBox) {
        const ControlDef& box = Control(RateWindowDef(), id);
        EXPECT_TRUE(box.integerInput) << box.name;
        EXPECT_EQ(box.maxLength, 2) << box.name;
        ASSERT_GE(std::strlen(box.text), 1u) << box.name;
        EXPECT_LE(std::strlen(box.text), 2u) << box.name;
        sum += std::stoi(box.text);
    }
    EXPECT_EQ(sum, 100);
}

TEST(Layout, CanvasesFillTheSecondaryWindows) {
    struct Case {
        const WindowDef* window;
        int32_t canvas;
    } cases[] = {{&RateWindowDef(), ids::kRateCanvas}, {&HelpWindowDef(), ids::kHelpCanvas}};
    for (const Case& c : cases) {
        const ControlDef& canvas = Control(*c.window, c.canvas);
        EXPECT_EQ(canvas.type, ControlType::CartoonBox);
        EXPECT_EQ(&canvas, c.window->controls.data()) << "the canvas lies beneath the rest";
        EXPECT_EQ(canvas.left, 0);
        EXPECT_EQ(canvas.top, 0);
        EXPECT_EQ(canvas.width, c.window->width) << c.window->name;
        EXPECT_EQ(canvas.height, c.window->height) << c.window->name;
    }
}

TEST(Layout, InstructionsTextHasFifteenCrLfLines) {
    const std::string text = Control(HelpWindowDef(), ids::kHelpText).text;
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            ASSERT_LT(i + 1, text.size());
            EXPECT_EQ(text[i + 1], '\n') << "lone CR at " << i;
            ++lines;
            ++i;
        } else {
            EXPECT_NE(text[i], '\n') << "lone LF at " << i;
        }
    }
    EXPECT_EQ(lines, 15);
    EXPECT_NE(text.find("为0即可。  \r\n"), std::string::npos) << "trailing spaces kept";
    EXPECT_NE(text.find("\r\n\r\n"), std::string::npos) << "the empty fourth line";
}

}  // namespace
}  // namespace kelvra
