// The program as a whole, in this process: start-up with and without a configuration file, the
// hot key, the rate window, saving names and rates, and spins. The process itself (its folder,
// its exit code, its life with the rate window) is the whole-program tests' (tests/e2e).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <tuple>
#include <utility>

#include "app/state.h"
#include "app/bindings.h"
#include "app/prize_names.h"
#include "app/rate_window.h"
#include "runtime/encoding.h"
#include "runtime/text.h"
#include "runtime/win/events.h"
#include "runtime/win/dpi.h"
#include "runtime/win/hotkey.h"
#include "tests/win/win_test_support.h"
#include "ui/controls/canvas_box.h"
#include "ui/property_access.h"
#include "ui/window.h"
#include "ui/model/ids.h"
#include "app/spin.h"
#include "app/wheel_drawing.h"
#include "wheel/spin_rules.h"

namespace kelvra {
namespace {

constexpr int32_t kMain = static_cast<int32_t>(WindowId::Main);
constexpr int32_t kRate = static_cast<int32_t>(WindowId::Rate);

class ProgramTest : public test::ProgramInFolder {
  protected:
    void WriteIni(std::string_view gbk) { test::PutFile(ini_, gbk); }
    std::string Ini() const { return test::GetFile(ini_); }
    bool IniExists() const { return GetFileAttributesW(ini_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static void PressHotKey() {
        SendMessageW(FindLoadedWindow(kMain)->hwnd(), WM_HOTKEY, State().hotKeyId, 0);
    }
    static CanvasBox* Wheel() { return FindCanvas(WindowId::Main, ids::kMainCanvas); }
    static void TypeRate(int prize, std::string_view text) {
        HWND box = GetWindowHandle(kRate, ids::kRateBox[prize - 1]);
        SendMessageW(box, EM_SETSEL, 0, -1);
        SendMessageW(box, WM_CHAR, VK_BACK, 1);
        for (wchar_t c : GbkToWide(text)) SendMessageW(box, WM_CHAR, c, 1);
    }
};

TEST_F(ProgramTest, StartWithoutFileShowsTheDefaultsAndCreatesNothing) {
    ASSERT_TRUE(LoadWindow(kMain));
    // The settings page's controls are made at idle time after the start, hidden, so that the
    // page's first showing only paints.
    const Component* help = FindLoadedWindow(kMain)->Find(ids::kMainHelp);
    for (int i = 0; i < 200 && help->hwnd() == nullptr; ++i) {
        Sleep(5);
        ProcessPendingEvents();
    }
    ASSERT_NE(help->hwnd(), nullptr) << "the settings page's controls made after the start";
    EXPECT_FALSE(IsWindowVisible(help->hwnd())) << "on the page not shown";
    // The table itself is the loader's (host tests); here: it reaches the boxes and the wheel.
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainNameBox[7]), "讲笑话");
    EXPECT_EQ(State().prizeTable[9].high, 100);
    EXPECT_FALSE(IniExists()) << "reading never creates the file";
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(Wheel()->canvas()->FindSprite(State().labelSpriteIds[k - 1])->copied->text,
                  State().prizeTable[k - 1].name)
            << "the wheel shows name " << k;
}

TEST_F(ProgramTest, HotKeyTwiceGivesOneRateWindowWithTheInitialRates) {
    ASSERT_TRUE(LoadWindow(kMain));
    PressHotKey();
    LoadedWindow* rate = FindLoadedWindow(kRate);
    ASSERT_NE(rate, nullptr);
    HWND first = rate->hwnd();
    // The main window sets the program icon itself; the rate window shows its class's.
    const HWND main = FindLoadedWindow(kMain)->hwnd();
    EXPECT_NE(SendMessageW(main, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(main, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(SendMessageW(first, WM_GETICON, ICON_BIG, 0), 0);
    TypeRate(1, "5");
    PressHotKey();
    EXPECT_EQ(FindLoadedWindow(kRate)->hwnd(), first);
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateBox[0]), "5") << "kept what was typed";

    DestroyWindow(first);
    SendMessageW(FindLoadedWindow(kMain)->hwnd(), WM_HOTKEY, 33002, 0);
    SendMessageW(GetWindowHandle(kMain, ids::kMainFeedback), kHotKeyNotifyMessage, 33002, 0);
    EXPECT_EQ(FindLoadedWindow(kRate), nullptr) << "a hot key id that is not ours opens nothing";
    PressHotKey();
    ASSERT_NE(FindLoadedWindow(kRate), nullptr);
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateBox[1]), "20") << "a new window, initial rates";
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateTotal), "当前中奖率：");
    EXPECT_FALSE(IniExists());
}

TEST_F(ProgramTest, RateWindowShowsAndSavesOnlyATotalOfHundred) {
    WriteIni(
        "[中奖率]\r\n中奖率1=0\r\n中奖率2=20\r\n中奖率3=1\r\n中奖率4=25\r\n中奖率5=15\r\n"
        "中奖率6=0\r\n中奖率7=1\r\n中奖率8=5\r\n中奖率9=30\r\n中奖率10=3\r\n");
    ASSERT_TRUE(LoadWindow(kMain));
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainNameBox[3]), "谢谢参与") << "empty-name default";
    PressHotKey();
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateTotal), "当前中奖率：100%");
    EXPECT_EQ(ReadProperty(kRate, ids::kRateTotal, LabelProperty::TextColour, -1).number, 0);
    EXPECT_EQ(State().currentRateTotal, 100);

    const std::string before = Ini();
    for (const auto& [rate2, total, colour] :
         {std::tuple{"40", "当前中奖率：120%", 0xFF}, std::tuple{"19", "当前中奖率：99%", 0}}) {
        TypeRate(2, rate2);
        EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateTotal), total);
        EXPECT_EQ(ReadProperty(kRate, ids::kRateTotal, LabelProperty::TextColour, -1).number,
                  colour)
            << "red above 100";
        std::wstring boxText;
        {
            test::BoxWatcher watcher(GbkToWide("信息："), IDOK,
                                     [&](HWND box) { boxText = test::BoxMessage(box); });
            SendMessageW(GetWindowHandle(kRate, ids::kRateSave), BM_CLICK, 0, 0);
            EXPECT_TRUE(watcher.found());
        }
        EXPECT_EQ(boxText, GbkToWide("中间率必须为100%，请重新设置！"));
        EXPECT_EQ(Ini(), before) << "a refused save writes nothing";
    }

    // 0 + 6 + 0 + 0 - 5 + 0 + 0 + 0 + 99 + 0 = 100
    for (const auto& [prize, rate] :
         {std::pair{2, "6"}, {9, "99"}, {5, "-5"}, {4, ""}, {8, ""}, {10, ""}, {3, ""}, {7, ""}})
        TypeRate(prize, rate);
    EXPECT_EQ(ReadText(WindowId::Rate, ids::kRateTotal), "当前中奖率：100%");
    SendMessageW(GetWindowHandle(kRate, ids::kRateSave), BM_CLICK, 0, 0);
    const std::string saved = Ini();
    EXPECT_NE(saved.find("中奖率2=6\r\n"), std::string::npos);
    EXPECT_NE(saved.find("中奖率5=-5\r\n"), std::string::npos);
    EXPECT_NE(saved.find("中奖率9=99\r\n"), std::string::npos);
    EXPECT_NE(saved.find("中奖率4=\r\n"), std::string::npos);
    EXPECT_EQ(State().prizeTable[1].rate, 6);
    EXPECT_EQ(State().prizeTable[8].high, 100);
}

TEST_F(ProgramTest, SavingNamesStoresThemWithoutBlanksAndRedrawsTheWheel) {
    ASSERT_TRUE(LoadWindow(kMain));
    WriteContent(WindowId::Main, ids::kMainNameBox[0], "一 等奖");
    WriteContent(WindowId::Main, ids::kMainNameBox[7], "　");
    SendMessageW(GetWindowHandle(kMain, ids::kMainSaveNames), BM_CLICK, 0, 0);
    const std::string saved = Ini();
    EXPECT_NE(saved.find("[奖项]\r\n奖项1=一等奖\r\n"), std::string::npos);
    EXPECT_NE(saved.find("奖项8=\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("中奖率"), std::string::npos) << "the rates are left alone";
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainNameBox[0]), "一等奖");
    EXPECT_EQ(ReadText(WindowId::Main, ids::kMainNameBox[7]), "讲笑话") << "empty-name default";
    EXPECT_EQ(Wheel()->canvas()->FindSprite(State().labelSpriteIds[0])->copied->text, " 一等奖 ");
    // Every rate reads 0 from a file without rates: no range holds any pick.
    EXPECT_EQ(State().prizeTable[0].high, 0);
}

TEST_F(ProgramTest, SavingRatesAfterTheMainWindowIsGoneKeepsTheProgram) {
    ASSERT_TRUE(LoadWindow(kMain));
    PressHotKey();
    DestroyWindow(FindLoadedWindow(kMain)->hwnd());
    ASSERT_NE(FindLoadedWindow(kRate), nullptr);
    TypeRate(1, "1");
    TypeRate(2, "19");
    SendMessageW(GetWindowHandle(kRate, ids::kRateSave), BM_CLICK, 0, 0);
    EXPECT_NE(Ini().find("中奖率2=19"), std::string::npos);
    EXPECT_EQ(State().prizeTable[0].rate, 1);
    EXPECT_NE(FindLoadedWindow(kRate), nullptr);
}

// Stands in for the spin's waits: records them, notes whether the start control was ever
// enabled during one, runs `during` at wait n (after step n is drawn) and serves the queue.
struct FakeDelay {
    static inline std::vector<int32_t> waits;
    static inline bool startEverEnabled = false;
    static inline void (*during)(size_t n) = nullptr;
    static void Wait(int32_t ms) {
        waits.push_back(ms);
        if (FindLoadedWindow(kMain) != nullptr &&
            IsWindowEnabled(GetWindowHandle(kMain, ids::kMainStart)))
            startEverEnabled = true;
        if (during != nullptr) during(waits.size());
        ProcessPendingEvents();
    }
    static void Install(void (*at)(size_t) = nullptr) {
        waits.clear();
        startEverEnabled = false;
        during = at;
        State().spinHooks = {&FakeDelay::Wait, nullptr};
    }
};

// Ink of the ten names lying more than a pixel beyond its own sector's borders, on the canvas
// as it is drawn now: its scale, and in full screen its drawing centred on the monitor.
int InkBeyondTheBorders() {
    const CanvasBox* box = FindCanvas(WindowId::Main, ids::kMainCanvas);
    const LoadedWindow* main = FindLoadedWindow(kMain);
    const Scale& s = main->scale();
    const POINT origin = main->CanvasOrigin(*box);
    const double cx = origin.x + 262.0 * s.num() / s.den(),
                 cy = origin.y + 262.0 * s.num() / s.den();
    int beyond = 0;
    for (int k = 1; k <= 10; ++k) {
        const Sprite* label = box->canvas()->FindSprite(State().labelSpriteIds[k - 1]);
        const Rect at = label->Bounds();
        for (int y = 0; y < label->Height(); ++y)
            for (int x = 0; x < label->Width(); ++x) {
                if (PixelAlpha(label->rendered->At(x, y)) < 64) continue;
                const double dx = at.left + x + 0.5 - cx, dy = at.top + y + 0.5 - cy;
                const double off = std::remainder(
                    std::atan2(dx, -dy) * 180 / std::numbers::pi - 36 * (k - 1), 360.0);
                const double past =
                    std::hypot(dx, dy) * std::sin((std::abs(off) - 18) * std::numbers::pi / 180);
                beyond += std::abs(off) > 18 && past > 1;
            }
    }
    return beyond;
}

// A name too wide for its sector is drawn smaller, that name alone, and stays inside its sector
// at every scale: 96 DPI, a monitor of 120, 144 and 192, and full screen. Names that fit are drawn
// at 18 points as they always were: four Chinese characters fit every sector.
TEST_F(ProgramTest, EveryNameStaysInsideItsSectorAtEveryScale) {
    std::string ini = "[奖项]\r\n奖项10=W\r\n";
    for (int k = 1; k <= 9; ++k)
        ini += "奖项" + std::to_string(k) + (k % 2 ? "=WWWWWWWWW\r\n" : "=MMMMMMMMM\r\n");
    WriteIni(ini);
    ASSERT_TRUE(LoadWindow(kMain));
    auto heightOf = [](int k) {
        return Wheel()->canvas()->FindSprite(State().labelSpriteIds[k - 1])->copied->font.height;
    };
    for (int k = 1; k <= 9; ++k) EXPECT_GT(heightOf(k), -24) << "prize " << k << " smaller";
    EXPECT_EQ(heightOf(10), -24) << "a name that fits keeps its size";
    EXPECT_EQ(InkBeyondTheBorders(), 0) << "at 96 DPI";
    HWND frame = FindLoadedWindow(kMain)->hwnd();
    for (int dpi : {120, 144, 192}) {
        RECT suggested{0, 0, 528 * dpi / 96, 579 * dpi / 96};
        SendMessageW(frame, kDpiChangedMessage, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(InkBeyondTheBorders(), 0) << "at " << dpi << " DPI";
    }
    FindLoadedWindow(kMain)->ToggleFullScreen();
    EXPECT_EQ(InkBeyondTheBorders(), 0) << "in full screen";
    FindLoadedWindow(kMain)->ToggleFullScreen();

    for (int k = 1; k <= 10; ++k)
        WriteContent(WindowId::Main, ids::kMainNameBox[k - 1], k % 2 ? "谢谢参与" : "再接再厉");
    SendMessageW(GetWindowHandle(kMain, ids::kMainSaveNames), BM_CLICK, 0, 0);
    // The window is at 192 DPI now: 18 points are 48 pixels.
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(heightOf(k), -48) << "prize " << k << " at 18 points";
    EXPECT_EQ(InkBeyondTheBorders(), 0);
}

// From wherever an earlier spin left the pointer, every winner gets its scheduled waits, step 1
// first, and ends under the pointer.
TEST_F(ProgramTest, EachWinnerEndsUnderThePointerAfterItsScheduledWaits) {
    ASSERT_TRUE(LoadWindow(kMain));
    FakeDelay::Install();
    for (int winner = 1; winner <= 10; ++winner) {
        SCOPED_TRACE(winner);
        Wheel()->SetSpriteAngle(State().pointerSpriteId, 216);
        FakeDelay::waits.clear();
        SpinPointer(winner - 1);
        const auto& w = FakeDelay::waits;
        ASSERT_EQ(w, PlanSpin(216, winner - 1).waits) << "the plan's waits, in order";
        EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0),
                  std::lround(NominalSpinSeconds(winner) * 1000));
        EXPECT_EQ(Wheel()->GetSpriteAngle(State().pointerSpriteId), 36 * (winner - 1));
    }
}

// The keys as the message loop hands them on. A presentation remote's keys spin on the wheel
// page, also with the tab strip focused, where the arrows move between the pages instead; the
// settings page keeps its keys; Ctrl+F12 that no hot key took opens the rate window.
TEST_F(ProgramTest, KeysOfTheMainWindow) {
    WriteIni("[中奖率]\r\n中奖率5=100\r\n");
    ASSERT_TRUE(LoadWindow(kMain));
    FakeDelay::Install();
    LoadedWindow* main = FindLoadedWindow(kMain);
    HWND tab = GetWindowHandle(kMain, ids::kMainTab);
    struct Case {
        const char* name;
        int32_t page;
        bool tabFocused, ctrl;
        WPARAM key;
        bool spins;
        int32_t pageAfter;
    } cases[] = {
        {"Space", 0, false, false, VK_SPACE, true, 0},
        {"Enter", 0, false, false, VK_RETURN, true, 0},
        {"Page Down", 0, false, false, VK_NEXT, true, 0},
        {"Right arrow", 0, false, false, VK_RIGHT, true, 0},
        {"Space, tab strip focused", 0, true, false, VK_SPACE, true, 0},
        {"Enter, tab strip focused", 0, true, false, VK_RETURN, true, 0},
        {"Page Down, tab strip focused", 0, true, false, VK_NEXT, true, 0},
        {"Right arrow, tab strip focused", 0, true, false, VK_RIGHT, false, 1},
        {"Left arrow, tab strip focused", 1, true, false, VK_LEFT, false, 0},
        {"Space on the settings page", 1, true, false, VK_SPACE, false, 1},
        {"Page Down on the settings page", 1, false, false, VK_NEXT, false, 1},
        {"F12", 0, false, false, VK_F12, false, 0},
        {"Ctrl+F12 opens the rate window", 0, false, true, VK_F12, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendMessageW(tab, TCM_SETCURFOCUS, c.page, 0);
        ASSERT_EQ(main->currentPage(), c.page);
        SetFocus(c.tabFocused ? tab : main->hwnd());
        BYTE keys[256] = {};
        keys[VK_CONTROL] = c.ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        FakeDelay::waits.clear();
        PostMessageW(GetFocus(), WM_KEYDOWN, c.key, 1);
        ProcessPendingEvents();
        EXPECT_EQ(!FakeDelay::waits.empty(), c.spins);
        EXPECT_EQ(main->currentPage(), c.pageAfter);
        EXPECT_EQ(FindLoadedWindow(kRate) != nullptr, c.ctrl);
        if (LoadedWindow* rate = FindLoadedWindow(kRate)) DestroyWindow(rate->hwnd());
    }
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

TEST_F(ProgramTest, FullScreenShowsTheWheelAloneOnTheMonitorAndGivesTheWindowBackAsItWas) {
    WriteIni("[中奖率]\r\n中奖率7=100\r\n");
    ASSERT_TRUE(LoadWindow(kMain));
    LoadedWindow* main = FindLoadedWindow(kMain);
    HWND tab = GetWindowHandle(kMain, ids::kMainTab);
    SendMessageW(tab, TCM_SETCURFOCUS, 1, 0);
    SetFocus(tab);
    RECT before, r;
    GetWindowRect(main->hwnd(), &before);
    const Scale scale = main->scale();
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    GetCursorInfo(&cursor);
    ASSERT_TRUE(cursor.flags & CURSOR_SHOWING);
    PostMessageW(tab, WM_KEYDOWN, VK_F11, 1);
    ProcessPendingEvents();
    ASSERT_TRUE(main->fullScreen());
    EXPECT_EQ(main->currentPage(), 0) << "F11 on the settings page shows the wheel page";
    // Entering full screen starts the idle time of the mouse pointer: its timer is still pending
    // (and is ended here, its tick sent below), or has run out already on a slow machine.
    const bool idleTimerPending = KillTimer(main->hwnd(), LoadedWindow::kIdleCursorTimer);
    GetCursorInfo(&cursor);
    EXPECT_TRUE(idleTimerPending || !(cursor.flags & CURSOR_SHOWING))
        << "entering full screen started no idle time";

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(main->hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& m = monitor.rcMonitor;
    const int w = m.right - m.left, h = m.bottom - m.top;
    GetWindowRect(Wheel()->hwnd(), &r);
    EXPECT_TRUE(EqualRect(&r, &m)) << "the canvas covers the monitor";
    SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_LE(r.bottom, m.top) << "the tab strip lies above the monitor";
    EXPECT_FALSE(GetWindowLongW(main->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    // The plate fills the height and is centred; the e2e test looks at the background around it.
    const Sprite* plate = Wheel()->canvas()->FindSprite(State().plateSpriteId);
    ASSERT_NE(plate, nullptr);
    EXPECT_NEAR(std::min(w, h), std::max(plate->Width(), plate->Height()), 2);
    EXPECT_NEAR(plate->left + plate->Width() / 2.0, w / 2.0, 2);
    EXPECT_NEAR(plate->top + plate->Height() / 2.0, h / 2.0, 2);

    // A press on the hub spins; Ctrl+F12's rate window shows above the full screen.
    State().spinHooks = {[](int32_t) {}, nullptr};
    GetWindowRect(GetWindowHandle(kMain, ids::kMainStart), &r);
    EXPECT_TRUE(PtInRect(&r, {m.left + w / 2, m.top + h / 2})) << "the start control on the hub";
    SendMessageW(GetWindowHandle(kMain, ids::kMainStart), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(Wheel()->GetSpriteAngle(State().pointerSpriteId), 216);
    State().spinHooks = {};
    PressHotKey();
    ASSERT_NE(FindLoadedWindow(kRate), nullptr);
    HWND below = FindLoadedWindow(kRate)->hwnd();
    while (below != nullptr && below != main->hwnd()) below = GetWindow(below, GW_HWNDNEXT);
    EXPECT_EQ(below, main->hwnd()) << "the rate window lies above the full screen";
    DestroyWindow(FindLoadedWindow(kRate)->hwnd());

    // Still for a while, the mouse pointer hides; moved, it shows again.
    SendMessageW(main->hwnd(), WM_TIMER, LoadedWindow::kIdleCursorTimer, 0);
    GetCursorInfo(&cursor);
    EXPECT_FALSE(cursor.flags & CURSOR_SHOWING);
    POINT at;
    GetCursorPos(&at);
    SetCursorPos(at.x + 5, at.y + 5);
    PostMessageW(Wheel()->hwnd(), WM_MOUSEMOVE, 0, 0);
    ProcessPendingEvents();
    GetCursorInfo(&cursor);
    EXPECT_TRUE(cursor.flags & CURSOR_SHOWING);

    PostMessageW(Wheel()->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    ProcessPendingEvents();
    ASSERT_FALSE(main->fullScreen());
    GetWindowRect(main->hwnd(), &r);
    EXPECT_TRUE(EqualRect(&r, &before)) << "back at its old place";
    EXPECT_EQ(main->currentPage(), 1);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetFocus(), tab);
    EXPECT_TRUE(main->scale() == scale);
    GetWindowRect(tab, &r);
    MapWindowPoints(nullptr, main->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.top, 0) << "the tab strip at the top of the client area again";
}

// Presses that must not spin: one when no range holds the pick (the pointer only snaps back),
// and one still queued behind the close of the window.
TEST_F(ProgramTest, PressesThatSpinNothing) {
    WriteIni("[奖项]\r\n奖项1=a\r\n");
    ASSERT_TRUE(LoadWindow(kMain));
    FakeDelay::Install();
    Wheel()->SetSpriteAngle(State().pointerSpriteId, 72);
    OnStartPressed(0, 0, 0);
    EXPECT_TRUE(FakeDelay::waits.empty()) << "no range holds the pick";
    EXPECT_EQ(Wheel()->GetSpriteAngle(State().pointerSpriteId), 0);
    EXPECT_TRUE(IsWindowEnabled(GetWindowHandle(kMain, ids::kMainStart)));

    WriteIni("[中奖率]\r\n中奖率5=100\r\n");
    DestroyWindow(FindLoadedWindow(kMain)->hwnd());
    ASSERT_TRUE(LoadWindow(kMain));
    ASSERT_EQ(State().prizeTable[4].high, 100);
    FakeDelay::waits.clear();
    PostMessageW(FindLoadedWindow(kMain)->hwnd(), WM_CLOSE, 0, 0);
    PostMessageW(GetWindowHandle(kMain, ids::kMainStart), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(40, 40));
    ProcessPendingEvents();
    EXPECT_EQ(FindLoadedWindow(kMain), nullptr);
    EXPECT_TRUE(FakeDelay::waits.empty()) << "no spin of a wheel that is going away";
}

TEST_F(ProgramTest, ClosingTheMainWindowMidSpinEndsTheSpinCleanly) {
    ASSERT_TRUE(LoadWindow(kMain));
    FakeDelay::Install([](size_t n) {
        if (n == 5) DestroyWindow(FindLoadedWindow(kMain)->hwnd());
    });
    SpinPointer(9);
    EXPECT_EQ(FindLoadedWindow(kMain), nullptr);
    EXPECT_EQ(FakeDelay::waits.size(), 5u) << "the spin stopped with the window";
    EXPECT_FALSE(State().spinning);
}

// A save of the names while the pointer turns: the new wheel takes over the pointer where it
// stands, and the spin still ends on the winner picked at the press, whichever step the save came
// after; a save at rest leaves the pointer where the last spin put it.
TEST_F(ProgramTest, SavingNamesMidSpinKeepsThePointerOnItsWayToTheWinner) {
    WriteIni("[中奖率]\r\n中奖率7=100\r\n");
    ASSERT_TRUE(LoadWindow(kMain));
    static size_t saveAfter = 0;
    for (size_t step : {1u, 73u, 75u}) {
        SCOPED_TRACE(step);
        saveAfter = step;
        const int32_t oldPointer = State().pointerSpriteId;
        FakeDelay::Install([](size_t n) {
            if (n == saveAfter)
                SendMessageW(GetWindowHandle(kMain, ids::kMainSaveNames), BM_CLICK, 0, 0);
        });
        OnStartPressed(0, 0, 0);
        ASSERT_NE(State().pointerSpriteId, oldPointer) << "the names were saved during the spin";
        EXPECT_EQ(FakeDelay::waits.size(), 76u);
        EXPECT_EQ(Wheel()->GetSpriteAngle(State().pointerSpriteId), 216) << "prize 7";
    }
    SendMessageW(GetWindowHandle(kMain, ids::kMainSaveNames), BM_CLICK, 0, 0);
    EXPECT_EQ(Wheel()->GetSpriteAngle(State().pointerSpriteId), 216) << "a save at rest";
}

// A click picks from the clock and spins with the start control disabled throughout; the second
// press of a quick double click, already queued, starts no spin inside the spin.
TEST_F(ProgramTest, AClickSpinsOnceWithTheStartDisabledThroughout) {
    WriteIni("[中奖率]\r\n中奖率5=100\r\n");
    ASSERT_TRUE(LoadWindow(kMain));
    FakeDelay::Install();
    HWND start = GetWindowHandle(kMain, ids::kMainStart);
    for (int press = 0; press < 2; ++press) {
        PostMessageW(start, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 40));
        PostMessageW(start, WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
    }
    ProcessPendingEvents();
    EXPECT_EQ(FakeDelay::waits.size(), 74u) << "one spin of 74 steps to prize 5";
    EXPECT_FALSE(FakeDelay::startEverEnabled);
    EXPECT_EQ(Wheel()->GetSpriteAngle(State().pointerSpriteId), 144);
    EXPECT_TRUE(IsWindowEnabled(start));
}

}  // namespace
}  // namespace kelvra
