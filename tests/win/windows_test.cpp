// The windows as the operator and the logic meet them: property reads and writes with their
// effects, the edit boxes' typing rules, events, keys, pages and the fatal errors of misuse.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/state.h"
#include "runtime/encoding.h"
#include "runtime/fatal.h"
#include "runtime/win/events.h"
#include "runtime/win/hotkey.h"
#include "runtime/win/system_library.h"
#include "ui/controls/canvas_box.h"
#include "ui/paint_at_once.h"
#include "ui/property_access.h"
#include "ui/screen_cover.h"
#include "ui/window.h"
#include "ui/model/ids.h"
#include "tests/win/win_test_support.h"

namespace kelvra {
namespace {

constexpr int32_t kMain = static_cast<int32_t>(WindowId::Main);
constexpr int32_t kRate = static_cast<int32_t>(WindowId::Rate);
constexpr int32_t kHelp = static_cast<int32_t>(WindowId::Help);

struct Seen {
    WindowId window;
    int32_t component;
    EventKind event;
    EventArgs args;
    std::string text;  // a rate box's content when its change event ran
};
std::vector<Seen> g_seen;
bool g_destroyingSawTheCanvas = false;

// Every binding records what ran; a changed box records the text it holds at that moment.
int32_t Record(WindowId w, int32_t c, EventKind e, const EventArgs& args) {
    Seen s{w, c, e, args, {}};
    if (e == EventKind::Changed && FindLoadedWindow(w) != nullptr) s.text = ReadText(w, c);
    if (e == EventKind::Destroying) {
        const CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
        g_destroyingSawTheCanvas = canvas != nullptr && IsWindow(canvas->hwnd());
    }
    g_seen.push_back(s);
    return 77;
}

#define KELVRA_RECORDER(w, c, e)                                                  \
    {                                                                             \
        w, c, e, [](const EventArgs& a) -> int32_t { return Record(w, c, e, a); } \
    }

const Binding kTestBindings[] = {
    KELVRA_RECORDER(WindowId::Main, ids::kMainSelf, EventKind::Created),
    KELVRA_RECORDER(WindowId::Main, ids::kMainSelf, EventKind::Destroying),
    KELVRA_RECORDER(WindowId::Main, ids::kMainStart, EventKind::MouseDown),
    KELVRA_RECORDER(WindowId::Main, ids::kMainStart, EventKind::MouseUp),
    KELVRA_RECORDER(WindowId::Main, ids::kMainFeedback, EventKind::Feedback),
    KELVRA_RECORDER(WindowId::Main, ids::kMainSaveNames, EventKind::Clicked),
    KELVRA_RECORDER(WindowId::Main, ids::kMainNameBox[0], EventKind::Changed),
    KELVRA_RECORDER(WindowId::Rate, ids::kRateSelf, EventKind::Created),
    KELVRA_RECORDER(WindowId::Rate, ids::kRateBox[0], EventKind::Changed),
    KELVRA_RECORDER(WindowId::Rate, ids::kRateBox[1], EventKind::Changed),
};

class WindowsTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetStateForTesting();
        InitWindowSystem(GetModuleHandleW(nullptr), kTestBindings);
        g_seen.clear();
    }
    void TearDown() override {
        for (int32_t id : {kMain, kRate, kHelp})
            if (LoadedWindow* w = FindLoadedWindow(id)) DestroyWindow(w->hwnd());
        // The last window gone posts WM_QUIT: take it off the queue for the next test.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        ResetStateForTesting();
    }
    static size_t Count(int32_t component, EventKind event) {
        size_t n = 0;
        for (const Seen& s : g_seen) n += s.component == component && s.event == event;
        return n;
    }
    static HWND Hwnd(int32_t w, int32_t c) { return GetWindowHandle(w, c); }
    static void Type(HWND box, std::wstring_view text) {
        for (wchar_t c : text) SendMessageW(box, WM_CHAR, c, 1);
    }
    static std::string Content(WindowId w, int32_t c) { return ReadText(w, c); }
};

TEST_F(WindowsTest, LoadingCreatesOnceAndRaisesCreated) {
    ASSERT_TRUE(LoadWindow(kMain));
    EXPECT_EQ(Count(ids::kMainSelf, EventKind::Created), 1u);
    HWND first = FindLoadedWindow(kMain)->hwnd();
    EXPECT_TRUE(IsWindowVisible(first));
    ASSERT_TRUE(LoadWindow(kMain)) << "an open window is only brought forward";
    EXPECT_EQ(FindLoadedWindow(kMain)->hwnd(), first);
    EXPECT_EQ(Count(ids::kMainSelf, EventKind::Created), 1u);
    EXPECT_FALSE(LoadWindow(99)) << "no such window";

    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(LoadWindow(kMain));
    EXPECT_FALSE(IsIconic(first)) << "a minimised window is restored";

    RECT r;
    GetWindowRect(first, &r);
    EXPECT_EQ(r.right - r.left, 528);
    EXPECT_EQ(r.bottom - r.top, 579);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1) << "centred";
    const LONG style = GetWindowLongW(first, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "fixed size";
}

TEST_F(WindowsTest, EditBoxWriteRaisesChangedOnceAfterTheTextIsIn) {
    ASSERT_TRUE(LoadWindow(kRate));
    g_seen.clear();
    WriteText(WindowId::Rate, ids::kRateBox[0], EditBoxProperty::Content, "35");
    ASSERT_EQ(Count(ids::kRateBox[0], EventKind::Changed), 1u);
    EXPECT_EQ(g_seen.back().text, "35") << "the handler sees the new text";
    WriteText(WindowId::Rate, ids::kRateBox[0], EditBoxProperty::Content, "35");
    EXPECT_EQ(Count(ids::kRateBox[0], EventKind::Changed), 2u) << "also when nothing changed";
    WriteText(WindowId::Rate, ids::kRateBox[0], EditBoxProperty::Content, "");
    EXPECT_EQ(Content(WindowId::Rate, ids::kRateBox[0]), "");
    EXPECT_EQ(Count(ids::kRateBox[1], EventKind::Changed), 0u) << "only the written box";
}

// Paint messages of the main window's controls while the settings page shows, and how many came
// while one of the page's controls did not exist yet.
int g_pagePaints = 0, g_paintsBeforeThePageWasWhole = 0;
LRESULT CALLBACK WatchPagePaints(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    LoadedWindow* w = FindLoadedWindow(kMain);
    if (code == HC_ACTION && w != nullptr && GetAncestor(m->hwnd, GA_ROOT) == w->hwnd() &&
        (m->message == WM_PAINT || m->message == WM_ERASEBKGND || m->message == WM_NCPAINT)) {
        ++g_pagePaints;
        for (const auto& c : w->components())
            if (c->def() != nullptr && c->def()->page == 1 && c->hwnd() == nullptr) {
                ++g_paintsBeforeThePageWasWhole;
                break;
            }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// The settings page's controls are made when it first shows, or when a property they do not keep
// is touched: what was written meanwhile is there, they stand in the table's order above the
// page's canvas, which is also the order of the tab stops, and nothing is drawn before all exist.
TEST_F(WindowsTest, AHiddenPageIsMadeLateWithWhatWasWrittenMeanwhile) {
    ASSERT_TRUE(LoadWindow(kMain));
    LoadedWindow* w = FindLoadedWindow(kMain);
    Component* first = w->Find(ids::kMainNameBox[0]);
    Component* second = w->Find(ids::kMainNameBox[1]);
    WriteText(WindowId::Main, ids::kMainNameBox[0], EditBoxProperty::Content, "一等奖");
    ASSERT_EQ(Count(ids::kMainNameBox[0], EventKind::Changed), 1u);
    EXPECT_EQ(g_seen.back().text, "一等奖") << "the handler reads the new content";
    WriteNumber(WindowId::Main, ids::kMainNameBox[1], CommonProperty::Disabled, -1, 1);
    ASSERT_NE(second->hwnd(), nullptr);
    EXPECT_FALSE(IsWindowVisible(second->hwnd())) << "its page is still hidden";

    g_pagePaints = g_paintsBeforeThePageWasWhole = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &WatchPagePaints, nullptr, GetCurrentThreadId());
    w->SelectPage(1);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_paintsBeforeThePageWasWhole, 0) << "drawn while some of its controls were missing";
    EXPECT_GT(g_pagePaints, 0) << "the page is painted at once, whole";
    ASSERT_NE(first->hwnd(), nullptr);
    EXPECT_EQ(WindowTextOf(first->hwnd()), GbkToWide("一等奖"));
    EXPECT_EQ(Content(WindowId::Main, ids::kMainNameBox[0]), "一等奖");
    EXPECT_TRUE(IsWindowVisible(first->hwnd()));
    EXPECT_FALSE(IsWindowEnabled(second->hwnd())) << "what was written stays";
    std::vector<int32_t> order, table;
    for (HWND h = GetWindow(GetParent(first->hwnd()), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (const Component* c = Component::FromHwnd(h); c && c->def() && c->def()->page == 1)
            order.push_back(c->id());
    for (const ControlDef& d : MainWindowDef().controls)
        if (d.page == 1 && d.type != ControlType::CartoonBox) table.push_back(d.id);
    table.push_back(ids::kMainSettingsCanvas);
    EXPECT_EQ(order, table);
}

// The typing rules are host-tested case by case (edit_rules_test); here the edit control applies
// them: the platform's GBK widths, the rate box's limit, texts from the file shortened by hand,
// and input that bypasses typing undone.
TEST_F(WindowsTest, EditBoxesApplyTheirTypingRules) {
    ASSERT_TRUE(LoadWindow(kRate));
    HWND rate = Hwnd(kRate, ids::kRateBox[0]);
    WriteText(WindowId::Rate, ids::kRateBox[0], EditBoxProperty::Content, "");
    g_seen.clear();
    Type(rate, L"a5");
    EXPECT_EQ(Content(WindowId::Rate, ids::kRateBox[0]), "5") << "a letter is refused";
    EXPECT_EQ(Count(ids::kRateBox[0], EventKind::Changed), 1u) << "one event per change";
    Type(rate, L"07");
    EXPECT_EQ(Content(WindowId::Rate, ids::kRateBox[0]), "50") << "a third character is refused";

    ASSERT_TRUE(LoadWindow(kMain));
    HWND name = Hwnd(kMain, ids::kMainNameBox[0]);
    Type(name, GbkToWide("OPPO手机好"));
    EXPECT_EQ(Content(WindowId::Main, ids::kMainNameBox[0]), "OPPO手机") << "a tenth byte";
    Type(name, L"\x0E01!");  // Thai: no GBK form, refused rather than stored as '?'
    EXPECT_EQ(Content(WindowId::Main, ids::kMainNameBox[0]), "OPPO手机!");

    // A text from the file beyond the limit: a swap that shrinks it and a deletion are taken,
    // growth is not.
    WriteText(WindowId::Main, ids::kMainNameBox[0], EditBoxProperty::Content, "一二三四五六");
    SendMessageW(name, EM_SETSEL, 0, 1);
    Type(name, L"x");
    SendMessageW(name, EM_SETSEL, 6, 6);
    SendMessageW(name, WM_CHAR, VK_BACK, 1);
    Type(name, L"y");
    EXPECT_EQ(Content(WindowId::Main, ids::kMainNameBox[0]), "x二三四五");

    WriteText(WindowId::Main, ids::kMainNameBox[0], EditBoxProperty::Content, "ab");
    SendMessageW(name, EM_SETSEL, 2, 2);
    // As an input method does: straight into the box, no WM_CHAR.
    for (const char* input : {"一二三四", "一二三"})
        SendMessageW(name, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(GbkToWide(input).c_str()));
    EXPECT_EQ(Content(WindowId::Main, ids::kMainNameBox[0]), "ab一二三");
}

TEST_F(WindowsTest, RateBoxIsNormalisedWhenItLosesTheFocus) {
    ASSERT_TRUE(LoadWindow(kRate));
    struct Case {
        const char* typed;
        const char* after;
        size_t events;  // change events raised by leaving the box
    } cases[] = {{"07", "7", 1}, {"42", "42", 0}};
    for (const Case& c : cases) {
        WriteText(WindowId::Rate, ids::kRateBox[0], EditBoxProperty::Content, c.typed);
        SetFocus(Hwnd(kRate, ids::kRateBox[0]));
        g_seen.clear();
        SetFocus(Hwnd(kRate, ids::kRateBox[1]));
        EXPECT_EQ(Content(WindowId::Rate, ids::kRateBox[0]), c.after) << c.typed;
        EXPECT_EQ(Count(ids::kRateBox[0], EventKind::Changed), c.events) << c.typed;
    }
}

TEST_F(WindowsTest, LabelNullCaptionAndFeedback) {
    ASSERT_TRUE(LoadWindow(kRate));
    WriteProperty(kRate, ids::kRateTotal, LabelProperty::Caption, -1, PropertyValue{});
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateTotal), "") << "a null text empties it";

    ASSERT_TRUE(LoadWindow(kMain));
    const LRESULT r = SendMessageW(Hwnd(kMain, ids::kMainFeedback), kHotKeyNotifyMessage, 33001, 5);
    EXPECT_EQ(r, 77) << "the handler's result comes back";
    ASSERT_EQ(Count(ids::kMainFeedback, EventKind::Feedback), 1u);
    EXPECT_EQ(g_seen.back().args.wParam, 33001);
    EXPECT_EQ(g_seen.back().args.lParam, 5);
}

TEST_F(WindowsTest, CommonPropertiesAreClampedAndApplied) {
    using P = CommonProperty;
    ASSERT_TRUE(LoadWindow(kMain));
    const int32_t box = ids::kMainNameBox[0];
    const int64_t top = ReadProperty(kMain, box, P::Top, -1).number;
    WriteNumber(WindowId::Main, box, P::Width, -1, -5);
    EXPECT_EQ(ReadProperty(kMain, box, P::Width, -1).number, 0);
    EXPECT_EQ(ReadProperty(kMain, box, P::Top, -1).number, top) << "resizing keeps the position";
    WriteNumber(WindowId::Main, box, P::Left, -1, 40000);
    EXPECT_EQ(ReadProperty(kMain, box, P::Left, -1).number, 32627);
    WriteText(WindowId::Main, box, P::Tag, "tag");
    EXPECT_EQ(ReadText(WindowId::Main, box, P::Tag), "tag");
    WriteNumber(WindowId::Main, box, P::Disabled, -1, 5);
    EXPECT_EQ(ReadProperty(kMain, box, P::Disabled, -1).number, 1);
    EXPECT_FALSE(IsWindowEnabled(Hwnd(kMain, box)));
    EXPECT_EQ(ReadProperty(kMain, ids::kMainText, P::Disabled, -1).number, 0)
        << "no template is disabled";

    // A written mouse pointer is the one the control shows: four bytes name a system cursor.
    Component* label = FindLoadedWindow(kMain)->Find(ids::kMainFeedback);
    PropertyValue cursor;
    cursor.bytes = {0x89, 0x7F, 0, 0};  // IDC_HAND, 32649
    WriteProperty(kMain, ids::kMainFeedback, P::Cursor, -1, cursor);
    EXPECT_EQ(label->Cursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(ReadProperty(kMain, ids::kMainFeedback, P::Cursor, -1).bytes, cursor.bytes);
    EXPECT_EQ(FindLoadedWindow(kMain)->Find(ids::kMainStart)->Cursor(),
              LoadCursorW(nullptr, IDC_HAND))
        << "the start control has the hand of its layout";
}

TEST_F(WindowsTest, TemplateFontMembersAndWholeRecord) {
    using P = CartoonObjectProperty;
    ASSERT_TRUE(LoadWindow(kMain));
    WriteTemplateFontFace(WindowId::Main, ids::kMainText, "宋体");
    WriteTemplateFontSize(WindowId::Main, ids::kMainText, 18);
    const SpriteTemplate* text = FindTemplate(WindowId::Main, ids::kMainText);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->font.height, -24) << "18 points at 96 pixels per inch";
    EXPECT_EQ(text->font.face, "宋体");
    const auto size = static_cast<int32_t>(FontMember::Size);
    EXPECT_EQ(ReadProperty(kMain, ids::kMainText, P::Font, size).number, 18);

    WriteTemplateTextColour(WindowId::Main, ids::kMainText, 0x12345678);
    EXPECT_EQ(text->textColour, 0x345678u) << "drawn in its red, green and blue";
}

// The named writers reach the setters the numbers reach: what they write reads back by number
// (the template's font: TemplateFontMembersAndWholeRecord).
// A content written to a box of a page not shown yet is kept without making the box; a caption
// reaches both label types; a control of another type is left alone.
TEST_F(WindowsTest, NamedWritersReadBackByNumber) {
    ASSERT_TRUE(LoadWindow(kRate));
    WriteCaption(WindowId::Rate, ids::kRateTotal, "当前中奖率：120%");
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateTotal, LabelProperty::Caption),
              "当前中奖率：120%");
    WriteTextColour(WindowId::Rate, ids::kRateTotal, 0x00A05010);  // the layout's is red
    EXPECT_EQ(ReadProperty(kRate, ids::kRateTotal, LabelProperty::TextColour, -1).number,
              0x00A05010);
    WriteTextColour(WindowId::Rate, ids::kRateBox[2], 0x0000FF);
    EXPECT_EQ(ReadProperty(kRate, ids::kRateBox[2], LabelProperty::TextColour, -1).number, 0)
        << "a box is no label: the label's number is not written to it";

    ASSERT_TRUE(LoadWindow(kMain));
    g_seen.clear();
    WriteContent(WindowId::Main, ids::kMainNameBox[0], "一等奖");
    EXPECT_EQ(FindLoadedWindow(kMain)->Find(ids::kMainNameBox[0])->hwnd(), nullptr)
        << "kept by the box left for later";
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainNameBox[0], EditBoxProperty::Content), "一等奖");
    EXPECT_EQ(ReadContent(WindowId::Main, ids::kMainNameBox[0]), "一等奖");
    EXPECT_EQ(Count(ids::kMainNameBox[0], EventKind::Changed), 1u);
    WriteCaption(WindowId::Main, ids::kMainStart, "开始");
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainStart, TransLabelProperty::Caption), "开始");

    using P = CartoonObjectProperty;
    WriteTemplateText(WindowId::Main, ids::kMainText, "谢谢参与");
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainText, P::Text), "谢谢参与");
    WriteTemplateTextColour(WindowId::Main, ids::kMainText, 0x00FF8000);
    EXPECT_EQ(ReadProperty(kMain, ids::kMainText, P::TextColour, -1).number, 0x00FF8000);
}

// Through the numbers, a control of each type reads back every property of its own as written,
// converted to the property's kind: each number reaches its own getter and setter, or is kept.
TEST_F(WindowsTest, EveryTypePropertyReadsBackWhatWasWritten) {
    ASSERT_TRUE(LoadWindow(kMain));
    std::set<ControlType> types;
    for (const auto& c : FindLoadedWindow(kMain)->components()) {
        if (!types.insert(c->type()).second) continue;
        for (const PropertyInfo& p : PropertyTable(c->type()).subspan(kFirstTypeProperty)) {
            PropertyValue v;  // every field, but a font alone for a font: it is kept whole
            if (ClassOf(p.kind) != ValueClass::Font) {
                v = PropertyValue::Text("值" + std::to_string(p.number));
                v.number = 0x12340000 + p.number;
                v.bytes = {static_cast<uint8_t>(p.number), 1};
            }
            v.font = {900, true, false, true, false, p.number, "黑体"};
            WriteProperty(kMain, c->id(), p.number, -1, v);
            const PropertyValue read = ReadProperty(kMain, c->id(), p.number, -1);
            const PropertyValue expected = ConvertForWrite(p.kind, v);
            SCOPED_TRACE("control " + std::to_string(c->id()) + " property " +
                         std::to_string(p.number));
            EXPECT_EQ(read.number, expected.number);
            EXPECT_EQ(read.text, expected.text);
            EXPECT_EQ(read.bytes, expected.bytes);
            EXPECT_EQ(read.font, expected.font);
        }
    }
    EXPECT_EQ(types.size(), 8u) << "the main window has a control of every type";
}

// A hidden page's box is made for exactly the properties it does not keep itself.
TEST_F(WindowsTest, AHiddenBoxIsMadeForWhatItDoesNotKeep) {
    for (const PropertyInfo& p : PropertyTable(ControlType::EditBox)) {
        ASSERT_TRUE(LoadWindow(kMain));
        LoadedWindow* w = FindLoadedWindow(kMain);
        WriteProperty(kMain, ids::kMainNameBox[0], p.number, -1, PropertyValue{});
        ReadProperty(kMain, ids::kMainNameBox[1], p.number, -1);
        for (int32_t box : {ids::kMainNameBox[0], ids::kMainNameBox[1]})
            EXPECT_EQ(w->Find(box)->hwnd() == nullptr, p.keptWhileDeferred) << p.number;
        DestroyWindow(w->hwnd());
    }
}

TEST_F(WindowsTest, TemplatesAreNeverVisibleAndPagesShowTheirOwnControls) {
    ASSERT_TRUE(LoadWindow(kMain));
    for (int32_t t : {ids::kMainPlate, ids::kMainPointer, ids::kMainHub, ids::kMainText})
        EXPECT_FALSE(IsWindowVisible(Hwnd(kMain, t)));
    EXPECT_TRUE(IsWindowVisible(Hwnd(kMain, ids::kMainCanvas)));
    EXPECT_TRUE(IsWindowVisible(Hwnd(kMain, ids::kMainStart)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(kMain, ids::kMainNameBox[0])));
    SendMessageW(Hwnd(kMain, ids::kMainTab), TCM_SETCURFOCUS, 1, 0);
    EXPECT_FALSE(IsWindowVisible(Hwnd(kMain, ids::kMainCanvas)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(kMain, ids::kMainStart)));
    EXPECT_TRUE(IsWindowVisible(Hwnd(kMain, ids::kMainNameBox[0])));
    EXPECT_TRUE(IsWindowVisible(Hwnd(kMain, ids::kMainSettingsCanvas)));
    WriteNumber(WindowId::Main, ids::kMainText, CommonProperty::Visible, -1, 1);
    SendMessageW(Hwnd(kMain, ids::kMainTab), TCM_SETCURFOCUS, 0, 0);
    EXPECT_TRUE(IsWindowVisible(Hwnd(kMain, ids::kMainCanvas)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(kMain, ids::kMainSaveNames)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(kMain, ids::kMainText)))
        << "a template written visible still never shows";
}

// A window's own client area (its children left out), erased and printed as a parent asks, with
// the focus on it or nowhere.
HBITMAP PrintedClient(HWND hwnd, bool focused) {
    SetFocus(focused ? hwnd : nullptr);
    RECT r;
    GetClientRect(hwnd, &r);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture);
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SelectObject(dc, old);
    DeleteDC(dc);
    return picture;
}

// The tab strip lies and looks as the platform's tab control of the same size, font and titles:
// in the theme and without it, a tab selected, focused and under the mouse.
TEST_F(WindowsTest, TabStripLiesAndLooksAsThePlatformsTabControl) {
    ASSERT_TRUE(LoadWindow(kMain));
    HWND ours = Hwnd(kMain, ids::kMainTab);
    RECT size;
    GetClientRect(ours, &size);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, size.right, size.bottom, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND platform =
        CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                        size.right, size.bottom, host, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(platform, nullptr);
    SendMessageW(platform, WM_SETFONT, SendMessageW(ours, WM_GETFONT, 0, 0), FALSE);
    int index = 0;
    for (std::wstring title : {L"幸运转盘", L"软件设置"}) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(platform, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
    }
    const auto both = [&](UINT msg, WPARAM wp, LPARAM lp) {
        for (HWND tab : {ours, platform}) SendMessageW(tab, msg, wp, lp);
    };
    const auto same = [&](const char* what, bool focused) {
        SCOPED_TRACE(what);
        for (int i = 0; i < 2; ++i) {
            RECT a{}, b{};
            SendMessageW(ours, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&a));
            SendMessageW(platform, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&b));
            EXPECT_TRUE(EqualRect(&a, &b)) << "tab " << i << " at " << a.left << "," << a.top
                                           << " to " << a.right << "," << a.bottom;
        }
        EXPECT_EQ(SendMessageW(ours, TCM_GETCURSEL, 0, 0),
                  SendMessageW(platform, TCM_GETCURSEL, 0, 0));
        HBITMAP a = PrintedClient(ours, focused), b = PrintedClient(platform, focused);
        EXPECT_TRUE(test::SameColours(a, b));
        DeleteObject(a);
        DeleteObject(b);
    };
    RECT second;
    SendMessageW(ours, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    const LPARAM onSecond = MAKELPARAM((second.left + second.right) / 2, second.top + 3);
    same("the first tab selected", false);
    both(WM_MOUSEMOVE, 0, onSecond);
    same("the mouse over the second tab", false);
    both(WM_MOUSEMOVE, 0, MAKELPARAM(second.right + 40, 5));
    both(WM_KEYDOWN, VK_RIGHT, 1);
    same("the second tab selected with the arrow key, focused", true);
    EXPECT_EQ(FindLoadedWindow(kMain)->currentPage(), 1);

    // A class list no theme has leaves both without one.
    const auto setTheme =
        SystemFunction<decltype(&SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme");
    const auto theme = SystemFunction<decltype(&GetWindowTheme)>(L"uxtheme.dll", "GetWindowTheme");
    ASSERT_TRUE(setTheme != nullptr && theme != nullptr);
    for (HWND tab : {ours, platform}) {
        setTheme(tab, nullptr, L"KelvraNoSuchClass");
        ASSERT_EQ(theme(tab), nullptr);
    }
    same("without a theme, focused", true);
    both(TCM_SETCURSEL, 0, 0);
    same("without a theme, the first tab selected", false);

    // A press on a tab selects it and shows its page.
    SendMessageW(ours, WM_LBUTTONDOWN, MK_LBUTTON, onSecond);
    EXPECT_EQ(FindLoadedWindow(kMain)->currentPage(), 1);
    EXPECT_EQ(GetFocus(), ours);
    DestroyWindow(host);
}

TEST_F(WindowsTest, DisabledStartControlGetsNoPress) {
    ASSERT_TRUE(LoadWindow(kMain));
    HWND start = Hwnd(kMain, ids::kMainStart);
    SetForegroundWindow(FindLoadedWindow(kMain)->hwnd());
    RECT r;
    GetWindowRect(start, &r);
    auto click = [&] {
        SetCursorPos((r.left + r.right) / 2, r.top + (r.bottom - r.top) / 4);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof(INPUT));
        test::Pump(300);
    };
    click();
    ASSERT_EQ(Count(ids::kMainStart, EventKind::MouseDown), 1u)
        << "an enabled start control takes presses";
    EXPECT_EQ(Count(ids::kMainStart, EventKind::MouseUp), 1u);
    EXPECT_EQ(g_seen[g_seen.size() - 2].args.x, (r.right - r.left) / 2);
    EXPECT_EQ(g_seen[g_seen.size() - 2].args.y, (r.bottom - r.top) / 4);
    WriteNumber(WindowId::Main, ids::kMainStart, CommonProperty::Disabled, -1, 1);
    click();
    EXPECT_EQ(Count(ids::kMainStart, EventKind::MouseDown), 1u) << "a disabled one does not";
    WriteNumber(WindowId::Main, ids::kMainStart, CommonProperty::Disabled, -1, 0);
    click();
    EXPECT_EQ(Count(ids::kMainStart, EventKind::MouseDown), 2u);
}

TEST_F(WindowsTest, EscLeavesFullScreenFirstThenClosesTheWindowWithTheFocus) {
    ASSERT_TRUE(LoadWindow(kHelp));
    ASSERT_TRUE(LoadWindow(kMain));
    LoadedWindow* main = FindLoadedWindow(kMain);
    main->ToggleFullScreen();
    PostMessageW(Hwnd(kMain, ids::kMainStart), WM_KEYDOWN, VK_ESCAPE, 1);
    ProcessPendingEvents();
    ASSERT_EQ(FindLoadedWindow(kMain), main) << "the window stays open";
    EXPECT_FALSE(main->fullScreen());
    PostMessageW(main->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    ProcessPendingEvents();
    EXPECT_EQ(FindLoadedWindow(kMain), nullptr) << "the next Esc closes it";

    ASSERT_TRUE(LoadWindow(kRate));
    HWND box = Hwnd(kRate, ids::kRateBox[2]);
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    ProcessPendingEvents();
    EXPECT_EQ(FindLoadedWindow(kRate), nullptr);
    EXPECT_NE(FindLoadedWindow(kHelp), nullptr);
    PostMessageW(FindLoadedWindow(kHelp)->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    ProcessPendingEvents();
    EXPECT_EQ(FindLoadedWindow(kHelp), nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        << "the last window gone ends the loop";
}

// Tab moves to the next tab stop and Shift+Tab to the one before, as the Shift key is held at the
// press: a lone press of Shift before leaves the key toggled, not held, and changes nothing.
TEST_F(WindowsTest, TabAndShiftTabMoveBetweenTheTabStops) {
    ASSERT_TRUE(LoadWindow(kRate));
    struct Case {
        const char* name;
        BYTE shift;  // the key's state: 0x80 held, 0x01 toggled
        int to;      // the rate box with the focus after the press, from box 3
    } cases[] = {{"Tab", 0, 4},
                 {"Shift+Tab", 0x80, 2},
                 {"Tab after a lone press of Shift", 0x01, 4},
                 {"Shift+Tab, Shift toggled", 0x81, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetFocus(Hwnd(kRate, ids::kRateBox[2]));
        BYTE keys[256] = {};
        keys[VK_SHIFT] = keys[VK_LSHIFT] = c.shift;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        ProcessPendingEvents();
        EXPECT_EQ(GetFocus(), Hwnd(kRate, ids::kRateBox[c.to - 1]));
    }
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

// What each paint of the main window and its canvas saw: the window's client width and the
// canvas's width then.
struct PaintSeen {
    HWND hwnd;
    LONG clientWidth;
    int canvasWidth;
};
std::vector<PaintSeen> g_paints;
WNDPROC g_mainProc = nullptr, g_canvasProc = nullptr;

LRESULT CALLBACK WatchPaints(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
    if (msg == WM_PAINT || msg == WM_ERASEBKGND || msg == WM_NCPAINT) {
        RECT client;
        GetClientRect(FindLoadedWindow(kMain)->hwnd(), &client);
        g_paints.push_back({hwnd, client.right, canvas->canvas()->Width()});
    }
    return CallWindowProcW(hwnd == canvas->hwnd() ? g_canvasProc : g_mainProc, hwnd, msg, wp, lp);
}

TEST_F(WindowsTest, FullScreenPaintsOnlyItsWholeLayoutAndKeepsItsPicturesForTheNextPress) {
    ASSERT_TRUE(LoadWindow(kMain));
    LoadedWindow* main = FindLoadedWindow(kMain);
    CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
    const int plate = canvas->AddSprite(ids::kMainPlate, 25, 25);
    const int pointer = canvas->AddSprite(ids::kMainPointer, 195, 110);
    const int hub = canvas->AddSprite(ids::kMainHub, 205, 205);
    canvas->SetSpriteAngle(pointer, 108);
    ProcessPendingEvents();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(main->hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG width = monitor.rcMonitor.right - monitor.rcMonitor.left;
    RECT client;
    GetClientRect(main->hwnd(), &client);
    const LONG windowWidth = client.right;
    const int canvasWidth = canvas->canvas()->Width();

    g_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(main->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchPaints)));
    g_canvasProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(canvas->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchPaints)));
    const auto toggle = [&](LONG wantClient, int wantCanvas, const char* when) {
        g_paints.clear();
        main->ToggleFullScreen();
        ProcessPendingEvents();
        UpdateWindow(main->hwnd());
        EXPECT_TRUE(std::any_of(g_paints.begin(), g_paints.end(),
                                [&](const PaintSeen& p) { return p.hwnd == canvas->hwnd(); }))
            << when << ": the canvas painted";
        for (const PaintSeen& p : g_paints)
            ASSERT_TRUE(p.clientWidth == wantClient && p.canvasWidth == wantCanvas)
                << when << ": a paint of "
                << (p.hwnd == canvas->hwnd() ? "the canvas" : "the window") << " saw a window "
                << p.clientWidth << " and a canvas " << p.canvasWidth
                << " pixels wide before the new layout was whole";
    };
    toggle(width, width, "into full screen");
    const Canvas* fullCanvas = canvas->canvas();
    const std::shared_ptr<const Image> plateAtSize = fullCanvas->FindSprite(plate)->unturned;
    toggle(windowWidth, canvasWidth, "back to the window");

    // Changed in the window: the next full screen shows the change, from the pictures it kept.
    canvas->SetSpriteAngle(pointer, 216);
    canvas->RemoveSprites({hub});
    const int again = canvas->AddSprite(ids::kMainHub, 205, 205);
    toggle(width, width, "into full screen again");
    EXPECT_EQ(canvas->GetSpriteAngle(pointer), 216);
    EXPECT_EQ(canvas->canvas()->FindSprite(hub), nullptr);
    EXPECT_EQ(canvas->canvas()->SpriteIds(), (std::vector<int>{plate, pointer, again}));
    EXPECT_EQ(canvas->canvas(), fullCanvas) << "the full screen's canvas kept with its pictures";
    EXPECT_EQ(canvas->canvas()->FindSprite(plate)->unturned, plateAtSize);
    canvas->SetSpriteAngle(pointer, 108);
    toggle(windowWidth, canvasWidth, "back again");
    EXPECT_EQ(canvas->GetSpriteAngle(pointer), 108)
        << "turned in full screen, turned in the window";
    SetWindowLongPtrW(canvas->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_canvasProc));
    SetWindowLongPtrW(main->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_mainProc));
}

TEST_F(WindowsTest, DestroyingRaisesItsEventWhileTheControlsStillExist) {
    ASSERT_TRUE(LoadWindow(kMain));
    DestroyWindow(FindLoadedWindow(kMain)->hwnd());
    ASSERT_EQ(Count(ids::kMainSelf, EventKind::Destroying), 1u);
    EXPECT_TRUE(g_destroyingSawTheCanvas) << "the handler could still reach the canvas";
    EXPECT_EQ(FindLoadedWindow(kMain), nullptr);
}

test::ChildRegistrar readClosedWindow(L"read-closed-rate-window", [] {
    InitWindowSystem(GetModuleHandleW(nullptr), {});
    ReadText(WindowId::Rate, ids::kRateBox[0]);
});
test::ChildRegistrar handleOfClosedWindow(L"handle-of-closed-window", [] {
    InitWindowSystem(GetModuleHandleW(nullptr), {});
    GetWindowHandle(kHelp, ids::kHelpText);
});

TEST(WindowsFatal, ReachingAWindowNotLoadedEndsTheProgram) {
    struct Case {
        const wchar_t* child;
        const char* message;
    } cases[] = {{L"read-closed-rate-window", "未载入欲访问窗口组件所在的窗口"},
                 {L"handle-of-closed-window", "指定窗口或窗口组件不存在或尚未载入"}};
    for (const Case& c : cases) {
        const test::ChildResult r = test::RunChildProcess(c.child);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.boxText,
                  GbkToWide(std::string("运行时出错!\r\n\r\n错误信息：") + c.message + "\r\n"));
        EXPECT_EQ(r.exitCode, static_cast<DWORD>(-1));
    }
}

HBITMAP SolidBitmap(int w, int h, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT all{0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

int g_covers = 0;
HBITMAP g_firstShown = nullptr;  // the first cover's picture once it first painted

bool IsCover(HWND hwnd) {
    wchar_t name[32] = {};
    return GetClassNameW(hwnd, name, 32) > 0 && std::wstring_view(name) == L"KelvraCover";
}

LRESULT CALLBACK CountCovers(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && IsCover(reinterpret_cast<HWND>(wp))) ++g_covers;
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK KeepFirstShown(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_PAINT && g_firstShown == nullptr && IsCover(m->hwnd))
        g_firstShown = ReadWindow(m->hwnd);
    return CallNextHookEx(nullptr, code, wp, lp);
}

int g_ownPaints = 0;  // WM_PAINT and WM_NCPAINT sent to windows of the thread

LRESULT CALLBACK CountPaints(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && (m->message == WM_PAINT || m->message == WM_NCPAINT)) ++g_ownPaints;
    return CallNextHookEx(nullptr, code, wp, lp);
}

BOOL CALLBACK CountLeftToPaint(HWND hwnd, LPARAM lp) {
    if (GetUpdateRect(hwnd, nullptr, FALSE)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

BOOL CALLBACK FindShownEdit(HWND hwnd, LPARAM lp) {
    wchar_t name[8] = {};
    if (!IsWindowVisible(hwnd) || GetClassNameW(hwnd, name, 8) == 0 ||
        std::wstring_view(name) != L"Edit")
        return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
}

// F11 both ways each go under one cover, gone when they are done; none is put up while another
// window of the program lies over the main window. Into full screen, the cover goes up showing
// the full screen's picture already, which the window then shows; on the way back, the window's
// picture as it was. A page shows in one paint of the whole window, with no control painting on
// its own: the picture is the one the controls paint each for itself, frames included, and
// nothing is left to paint after it.
TEST_F(WindowsTest, FullScreenChangesUnderACoverAndPagesInOnePaint) {
    ASSERT_TRUE(LoadWindow(kMain));
    LoadedWindow* main = FindLoadedWindow(kMain);
    HHOOK hook = SetWindowsHookExW(WH_CBT, &CountCovers, nullptr, GetCurrentThreadId());
    HHOOK painted =
        SetWindowsHookExW(WH_CALLWNDPROCRET, &KeepFirstShown, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    ASSERT_NE(painted, nullptr);
    g_covers = 0;
    main->ToggleFullScreen();
    EXPECT_EQ(g_covers, 1) << "into full screen";
    UnhookWindowsHookEx(painted);
    HBITMAP full = ReadWindow(main->hwnd());
    EXPECT_TRUE(g_firstShown != nullptr && test::SameColours(g_firstShown, full))
        << "the cover first showed another picture than the full screen's";
    DeleteObject(full);
    DeleteObject(g_firstShown);
    g_firstShown = nullptr;
    // Over a window, the cover first shows the window as it was.
    full = ReadWindow(main->hwnd());
    painted = SetWindowsHookExW(WH_CALLWNDPROCRET, &KeepFirstShown, nullptr, GetCurrentThreadId());
    main->ToggleFullScreen();
    UnhookWindowsHookEx(painted);
    EXPECT_EQ(g_covers, 2) << "back to the window";
    EXPECT_TRUE(g_firstShown != nullptr && test::SameColours(g_firstShown, full))
        << "the cover first showed another picture than the window's";
    DeleteObject(full);
    DeleteObject(g_firstShown);
    g_firstShown = nullptr;
    HHOOK paints = SetWindowsHookExW(WH_CALLWNDPROC, &CountPaints, nullptr, GetCurrentThreadId());
    ASSERT_NE(paints, nullptr);
    const auto showsAsPainted = [&](int page, const char* what) {
        SCOPED_TRACE(what);
        g_ownPaints = 0;
        main->SelectPage(page);
        EXPECT_EQ(g_ownPaints, 0) << "a control painted on its own";
        int left = 0;
        CountLeftToPaint(main->hwnd(), reinterpret_cast<LPARAM>(&left));
        EnumChildWindows(main->hwnd(), &CountLeftToPaint, reinterpret_cast<LPARAM>(&left));
        EXPECT_EQ(left, 0) << "windows left to paint";
        EXPECT_TRUE(test::ShowsAsPainted(main->hwnd())) << "other than the controls paint";
    };
    // Frames and texts of edit boxes disabled and focused are drawn otherwise.
    WriteNumber(WindowId::Main, ids::kMainNameBox[1], CommonProperty::Disabled, -1, 1);
    showsAsPainted(1, "the settings page");
    showsAsPainted(0, "the wheel page");
    HWND edit = nullptr;
    main->SelectPage(1);
    EnumChildWindows(main->hwnd(), &FindShownEdit, reinterpret_cast<LPARAM>(&edit));
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    showsAsPainted(1, "the settings page, an edit box focused");
    EXPECT_EQ(GetFocus(), edit);
    UnhookWindowsHookEx(paints);
    main->SelectPage(0);
    EXPECT_EQ(g_covers, 2) << "a page's showing";
    ASSERT_TRUE(LoadWindow(kRate));
    RECT r;
    GetWindowRect(main->hwnd(), &r);
    SetWindowPos(FindLoadedWindow(kRate)->hwnd(), nullptr, r.left + 20, r.top + 20, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    main->SelectPage(1);
    main->ToggleFullScreen();
    main->ToggleFullScreen();
    EXPECT_EQ(g_covers, 2) << "the rate window lies over the main window";
    UnhookWindowsHookEx(hook);
}

// A pixel of a top-down 32-bit picture (what ReadWindow makes), read in place.
COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    DIBSECTION dib{};
    if (GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr)
        return CLR_INVALID;
    GdiFlush();
    const auto* row = static_cast<const uint8_t*>(dib.dsBm.bmBits) + y * dib.dsBm.bmWidthBytes;
    return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
}

// A window painting a pattern of a colour for every 4 x 4 pixels, which its controls let show.
LRESULT CALLBACK PatternProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT) return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wp);
    RECT r;
    GetClientRect(hwnd, &r);
    for (int y = 0; y < r.bottom; y += 4)
        for (int x = 0; x < r.right; x += 4) {
            const RECT block{x, y, x + 4, y + 4};
            SetBkColor(dc, RGB(x, y, 255 - x));
            ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &block, nullptr, 0, nullptr);
        }
    if (msg == WM_PAINT) EndPaint(hwnd, &ps);
    return 0;
}

// Painted at once, the platform's check box and push button show as when each paints on its own:
// they ask their parent to print itself beneath them, and the check box clips itself by the
// DC's device origin.
TEST(PaintAtOnce, ControlsDrawnOverTheirParentShowAsTheyPaint) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelvraPatternTest";
    RegisterClassExW(&wc);
    HWND parent = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                  40, 30, 240, 130, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(parent, nullptr);
    CreateWindowExW(0, L"BUTTON", L"Kelvra", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 24, 16, 150,
                    40, parent, nullptr, wc.hInstance, nullptr);
    CreateWindowExW(0, L"BUTTON", L"Kelvra", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 24, 70, 150, 40,
                    parent, nullptr, wc.hInstance, nullptr);
    UpdateWindow(parent);
    EXPECT_TRUE(PaintAtOnce(parent));
    EXPECT_TRUE(test::ShowsAsPainted(parent));
    DestroyWindow(parent);
}

// A cover shows the picture it is given over its area, on top of every window, and takes no
// activation; Reveal puts the window's picture where the window lies, over the picture to show
// around it; the cover goes with its object. Another window of the program in the area is seen.
TEST(ScreenCover, HoldsThePictureThenShowsTheWindowWhereItLiesAndGoes) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
    wc.lpszClassName = L"KelvraCoverTestRed";
    RegisterClassExW(&wc);
    HWND red = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 40, 30, 120, 80,
                               nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(red, nullptr);
    UpdateWindow(red);
    const RECT area{10, 10, 210, 160};
    EXPECT_FALSE(OtherWindowsIn(red, area));
    HBITMAP green = SolidBitmap(200, 150, RGB(0, 255, 0));
    HBITMAP blue = SolidBitmap(200, 150, RGB(0, 0, 255));
    {
        ScreenCover cover(area, green);
        HWND shown = FindWindowW(L"KelvraCover", nullptr);
        ASSERT_NE(shown, nullptr);
        RECT at;
        GetWindowRect(shown, &at);
        EXPECT_TRUE(EqualRect(&at, &area));
        EXPECT_TRUE(IsWindowVisible(shown));
        EXPECT_TRUE(GetWindowLongPtrW(shown, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_NE(GetForegroundWindow(), shown);
        EXPECT_TRUE(OtherWindowsIn(red, area)) << "the cover is a window of the program";
        const auto shows = [&](int x, int y) {
            const HBITMAP read = ReadWindow(shown);
            const COLORREF c = PixelOf(read, x, y);
            DeleteObject(read);
            return c;
        };
        EXPECT_EQ(shows(100, 70), RGB(0, 255, 0));
        cover.Reveal(red, blue);
        // The window lies at (30, 20) of the area: its picture there, blue around it.
        EXPECT_EQ(shows(30, 20), RGB(255, 0, 0));
        EXPECT_EQ(shows(149, 99), RGB(255, 0, 0));
        EXPECT_EQ(shows(29, 20), RGB(0, 0, 255));
        EXPECT_EQ(shows(150, 99), RGB(0, 0, 255));
        RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(shows(30, 20), RGB(255, 0, 0)) << "a later paint keeps what Reveal showed";
    }
    EXPECT_EQ(FindWindowW(L"KelvraCover", nullptr), nullptr);
    // A cover that goes up showing what the window shows has nothing to reveal and keeps
    // painting its own picture; one that does not shows the window once revealed.
    for (const bool asTheWindow : {true, false}) {
        HBRUSH brush = CreateSolidBrush(asTheWindow ? RGB(255, 0, 0) : RGB(0, 255, 0));
        int paints = 0;
        ScreenCover cover(area, [brush, &paints](HDC dc, const RECT& r) {
            ++paints;
            FillRect(dc, &r, brush);
        });
        EXPECT_EQ(cover.Shows(red), asTheWindow);
        cover.Reveal(red);
        EXPECT_TRUE(cover.Shows(red));
        const int before = paints;
        RedrawWindow(cover.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(paints > before, asTheWindow) << "Reveal copied the window though it was shown";
        DeleteObject(brush);
    }
    // A paint the window still owes when Reveal comes is done first: the cover shows the
    // window's last picture.
    {
        ScreenCover cover(area, green);
        HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
        const auto was =
            SetClassLongPtrW(red, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(yellow));
        InvalidateRect(red, nullptr, TRUE);
        cover.Reveal(red, blue);
        HBITMAP read = ReadWindow(cover.hwnd());
        EXPECT_EQ(PixelOf(read, 30, 20), RGB(255, 255, 0));
        DeleteObject(read);
        SetClassLongPtrW(red, GCLP_HBRBACKGROUND, was);
        DeleteObject(yellow);
    }
    DeleteObject(green);
    DeleteObject(blue);
    DestroyWindow(red);
    DeleteObject(wc.hbrBackground);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

// The screen is read a band of rows at a time, each band from its own rows into its own place;
// read beside a window, the window's client area is taken from the window unless something lies
// over it, and the rest from the screen: the same picture either way.
TEST(ScreenCover, ReadsTheScreenEveryRowFromItsPlace) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    // Two tall halves, one above the other; a window across them with the lower half's side and
    // the desktop beside it, and one over its edge.
    struct Shown {
        const wchar_t* name;
        COLORREF colour;
        RECT at;
        HWND hwnd = nullptr;
        HBRUSH brush = nullptr;
    };
    Shown shown[] = {{L"KelvraReadTestTop", RGB(255, 0, 0), {300, 20, 360, 220}},
                     {L"KelvraReadTestBottom", RGB(0, 0, 255), {300, 220, 430, 420}},
                     {L"KelvraReadTestBeside", RGB(0, 160, 0), {330, 150, 420, 300}},
                     {L"KelvraReadTestOver", RGB(255, 255, 0), {400, 200, 430, 230}}};
    for (Shown& w : shown) {
        wc.hbrBackground = w.brush = CreateSolidBrush(w.colour);
        wc.lpszClassName = w.name;
        RegisterClassExW(&wc);
        w.hwnd =
            CreateWindowExW(WS_EX_TOPMOST, w.name, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                            w.at.left, w.at.top, w.at.right - w.at.left, w.at.bottom - w.at.top,
                            nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(w.hwnd, nullptr);
        UpdateWindow(w.hwnd);
    }
    // The window read beside has a child of its own colour, which its picture includes.
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"KelvraReadTestChild";
    RegisterClassExW(&wc);
    HWND child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20,
                                 shown[2].hwnd, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(child, nullptr);
    UpdateWindow(child);
    // Until the screen shows them all (Wine puts a window's picture on the X screen when its
    // thread looks for messages): a pixel of each, read in one piece.
    const auto allShown = [&] {
        for (const Shown& w : shown) {
            HBITMAP pixel =
                ReadScreen({w.at.right - 2, w.at.bottom - 2, w.at.right - 1, w.at.bottom - 1});
            const bool shows = PixelOf(pixel, 0, 0) == w.colour;
            DeleteObject(pixel);
            if (!shows) return false;
        }
        return true;
    };
    for (int i = 0; i < 500 && !allShown(); ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    const RECT area{280, 10, 440, 430};
    HBITMAP read = ReadScreen(area);
    for (const int y : {10, 160, 209}) EXPECT_EQ(PixelOf(read, 30, y), shown[0].colour) << y;
    for (const int y : {210, 310, 409}) EXPECT_EQ(PixelOf(read, 30, y), shown[1].colour) << y;
    EXPECT_EQ(PixelOf(read, 130, 200), shown[3].colour);
    EXPECT_EQ(PixelOf(read, 60, 150), RGB(255, 255, 255)) << "the child";
    // Beside the window in the middle, with the window over it, then without it.
    for (const bool over : {true, false}) {
        SCOPED_TRACE(over ? "a window over it" : "nothing over it");
        if (!over) {
            ShowWindow(shown[3].hwnd, SW_HIDE);
            DeleteObject(read);
            for (int i = 0; i < 500; ++i) {
                read = ReadScreen(area);
                if (PixelOf(read, 130, 200) == shown[2].colour) break;
                DeleteObject(read);
                read = nullptr;
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                Sleep(10);
            }
            ASSERT_NE(read, nullptr) << "the screen still shows the window over it";
        }
        HBITMAP beside = ScreenPicture(area, shown[2].hwnd).Read();
        ASSERT_NE(beside, nullptr);
        int differ = 0;
        for (int y = 0; y < area.bottom - area.top; ++y)
            for (int x = 0; x < area.right - area.left; ++x)
                differ += PixelOf(beside, x, y) != PixelOf(read, x, y);
        EXPECT_EQ(differ, 0) << "pixels other than the screen's";
        DeleteObject(beside);
    }
    DeleteObject(read);
    DestroyWindow(child);
    UnregisterClassW(L"KelvraReadTestChild", wc.hInstance);
    for (Shown& w : shown) {
        DestroyWindow(w.hwnd);
        UnregisterClassW(w.name, wc.hInstance);
        DeleteObject(w.brush);
    }
}

}  // namespace
}  // namespace kelvra
