// The three window layouts: what the windows and the logic rely on (unique names and ids,
// parents, prize numbering, the boxes' limits). The start control over the hub is in art_test;
// positions, fonts and colours are judged by the whole-program screenshots.
#include "ui/model/layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/model/ids.h"

namespace kelvra {
namespace {

const WindowDef* const kWindows[] = {&MainWindowDef(), &RateWindowDef(), &HelpWindowDef()};

const ControlDef& Control(const WindowDef& w, int32_t id) {
    const ControlDef* c = FindControl(w, id);
    if (c == nullptr) throw std::out_of_range("no control with id " + std::to_string(id));
    return *c;
}

// "编辑框07" is prize 7; the prefix as GBK bytes, so that a source not compiled to GBK shows.
int PrizeNumberInName(const char* name) {
    const std::string_view n(name);
    const std::string_view prefix = "\xB1\xE0\xBC\xAD\xBF\xF2";
    if (n.size() != prefix.size() + 2 || n.substr(0, prefix.size()) != prefix) return -1;
    return std::stoi(std::string(n.substr(prefix.size())));
}

// Names and ids find one control each; a parent is the window or a tab control created before
// the child; the Tab key stops at boxes, buttons and canvases.
TEST(Layout, EveryControlIsFoundByNameAndIdAndComesAfterItsParent) {
    for (const WindowDef* w : kWindows) {
        std::set<std::string> names;
        std::set<int32_t> ids;
        for (const ControlDef& c : w->controls) {
            SCOPED_TRACE(std::string(w->name) + ": " + c.name);
            EXPECT_TRUE(names.insert(c.name).second) << "name twice";
            EXPECT_TRUE(ids.insert(c.id).second) << "id twice";
            EXPECT_NE(c.id, w->selfId) << "the window's id";
            EXPECT_EQ(FindControl(*w, c.name), &c);
            EXPECT_EQ(FindControl(*w, c.id), &c);
            EXPECT_EQ(c.tabStop, c.type == ControlType::EditBox || c.type == ControlType::Button ||
                                     c.type == ControlType::CartoonBox);
            if (c.parent == w->selfId) {
                EXPECT_EQ(c.page, -1);
                continue;
            }
            const ControlDef* parent = FindControl(*w, c.parent);
            ASSERT_NE(parent, nullptr);
            EXPECT_EQ(parent->type, ControlType::Tab);
            EXPECT_TRUE(c.page == 0 || c.page == 1) << "page " << c.page;
            EXPECT_LT(parent, &c) << "comes after its parent";
        }
        EXPECT_EQ(FindControl(*w, "no such control"), nullptr);
        EXPECT_EQ(FindControl(*w, w->selfId), nullptr) << "the window itself is not a control";
    }
}

// The ten boxes of each window: box k (0-based) is prize k + 1, as its name says, with its label
// right beside it, and the typing limit and rules of the first.
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
        for (const ControlDef& control : c.window->controls)
            boxCount += control.type == ControlType::EditBox;
        EXPECT_EQ(boxCount, 10) << c.window->name;
        for (int k = 0; k < 10; ++k) {
            const ControlDef& box = Control(*c.window, c.boxes[k]);
            const ControlDef& label = Control(*c.window, c.labels[k]);
            SCOPED_TRACE(std::string(box.name) + " and " + label.name);
            EXPECT_EQ(box.type, ControlType::EditBox);
            EXPECT_EQ(PrizeNumberInName(box.name), k + 1);
            // Box 1's limit and rules are the edit boxes' tests'; the other nine take the same.
            const ControlDef& first = Control(*c.window, c.boxes[0]);
            EXPECT_TRUE(box.maxLength == first.maxLength && box.integerInput == first.integerInput);
            EXPECT_EQ(label.type, ControlType::Label);
            EXPECT_EQ(label.top, box.top);
            EXPECT_EQ(label.left + label.width, box.left);
            EXPECT_EQ(std::string_view(label.text).substr(0, 4), "奖项");
        }
    }
}

TEST(Layout, NameBoxesStartEmptyAndRatesAreTwoDigitsSummingTo100) {
    for (int32_t id : ids::kMainNameBox) EXPECT_STREQ(Control(MainWindowDef(), id).text, "");
    int sum = 0;
    for (int32_t id : ids::kRateBox) {
        const ControlDef& box = Control(RateWindowDef(), id);
        ASSERT_GE(std::strlen(box.text), 1u) << box.name;
        EXPECT_LE(std::strlen(box.text), 2u) << box.name;
        sum += std::stoi(box.text);
    }
    EXPECT_EQ(sum, 100);
}

}  // namespace
}  // namespace kelvra
