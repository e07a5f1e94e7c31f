// The program at the DPI of the prefix it runs in (120, 144 or 192): windows, controls, fonts
// and the wheel at dpi/96, the names in their own sectors, a spin landing on its winner, and the
// scale kept through full screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/spin.h"
#include "app/bindings.h"
#include "app/state.h"
#include "runtime/encoding.h"
#include "runtime/win/dpi.h"
#include "tests/win/win_test_support.h"
#include "ui/controls/canvas_box.h"
#include "ui/model/ids.h"
#include "ui/text_render.h"
#include "ui/window.h"

namespace kelvra {
namespace {

// Under Wine the frame drawn at 96 DPI leaves the layout's 528 x 579 a client area of 522 x 554.
constexpr SIZE kMainClient{522, 554}, kRateClient{347, 290};

SIZE ClientOf(WindowId w) {
    RECT r;
    GetClientRect(FindLoadedWindow(w)->hwnd(), &r);
    return {r.right, r.bottom};
}

LONG FontHeight(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

// The fonts the main window's controls hold, and the system's GUI font, at the scale `s`.
void ExpectFontsAtScale(const Scale& s, const char* when) {
    for (int32_t id : {ids::kMainTab, ids::kMainNameBox[0], ids::kMainSaveNames}) {
        const auto held = reinterpret_cast<HFONT>(
            SendMessageW(GetWindowHandle(WindowId::Main, id), WM_GETFONT, 0, 0));
        EXPECT_EQ(FontHeight(held), -s.Px(FindControl(MainWindowDef(), id)->font.height))
            << when << ": control " << id;
    }
    EXPECT_NEAR(FontHeight(FindLoadedWindow(WindowId::Main)->GuiFont()),
                s.Px(DefaultGuiFont().height), 1)
        << when << ": the GUI font";
}

TEST(Dpi, WindowsControlsNamesAndTheSpinFollowTheScale) {
    const int32_t dpi = SystemDpi();
    ASSERT_NE(dpi, 96) << "runs in a prefix of another DPI";
    const Scale s = Scale::ForDpi(dpi);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring dir = std::wstring(tmp) + L"kelvra-dpi-" + std::to_wstring(dpi);
    CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.c_str()));
    std::ofstream((dir + L"\\peizhi.ini").c_str(), std::ios::binary)
        << "[中奖率]\r\n中奖率7=100\r\n";
    ResetStateForTesting();
    InitWindowSystem(GetModuleHandleW(nullptr), ProgramBindings());
    ASSERT_TRUE(LoadWindow(WindowId::Main));

    const SIZE main = ClientOf(WindowId::Main);
    EXPECT_EQ(main.cx, s.Px(kMainClient.cx));
    EXPECT_EQ(main.cy, s.Px(kMainClient.cy));
    const ControlDef* box = FindControl(MainWindowDef(), ids::kMainNameBox[0]);
    RECT r;
    GetWindowRect(GetWindowHandle(WindowId::Main, box->id), &r);
    MapWindowPoints(nullptr, GetWindowHandle(WindowId::Main, ids::kMainTab),
                    reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              s.Px(box->left, box->top, box->width, box->height));
    EXPECT_EQ(ReadProperty(1, box->id, CommonProperty::Left, -1).number, box->left)
        << "read back in units";
    ExpectFontsAtScale(s, "at start");

    // Each name is drawn at 18 points of the screen, centred in its own sector of the plate.
    const Canvas* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas)->canvas();
    for (int k = 1; k <= 10; ++k) {
        const Sprite* label = canvas->FindSprite(State().labelSpriteIds[k - 1]);
        ASSERT_NE(label, nullptr);
        FontSpec at96 = label->copied->font;
        at96.height = -24;
        const int h96 = RenderTextImage(label->copied->text, at96, 0).height;
        EXPECT_NEAR(label->unturned->height, s.Px(h96), 2) << "prize " << k;
        const double x = (label->left + label->Width() / 2.0) / s.num() * s.den() - 262;
        const double y = 262 - (label->top + label->Height() / 2.0) / s.num() * s.den();
        const double angle = std::fmod(std::atan2(x, y) * 180 / 3.14159265358979 + 360, 360);
        EXPECT_LT(std::abs(std::remainder(angle - 36 * (k - 1), 360.0)), 12) << "prize " << k;
        EXPECT_NEAR(std::hypot(x, y), 190, 25) << "prize " << k;
    }

    // A press on the hub's pixels reaches the start control and the spin lands on prize 7.
    State().spinHooks = {[](int32_t) {}, nullptr};
    HWND start = GetWindowHandle(WindowId::Main, ids::kMainStart);
    GetClientRect(start, &r);
    SendMessageW(start, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
    EXPECT_EQ(FindCanvas(WindowId::Main, ids::kMainCanvas)->GetSpriteAngle(State().pointerSpriteId),
              216);
    State().spinHooks = {};

    // The rate window, and its total line wide enough for its text in its font.
    SendMessageW(FindLoadedWindow(WindowId::Main)->hwnd(), WM_HOTKEY, State().hotKeyId, 0);
    ASSERT_NE(FindLoadedWindow(WindowId::Rate), nullptr);
    EXPECT_EQ(ClientOf(WindowId::Rate).cx, s.Px(kRateClient.cx));
    EXPECT_EQ(ClientOf(WindowId::Rate).cy, s.Px(kRateClient.cy));
    HWND total = GetWindowHandle(WindowId::Rate, ids::kRateTotal);
    HDC dc = GetDC(total);
    const HFONT font = FindLoadedWindow(WindowId::Rate)
                           ->FontFor(FindControl(RateWindowDef(), ids::kRateTotal)->font);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = GbkToWide("当前中奖率：100%");
    SIZE extent;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(total, dc);
    GetClientRect(total, &r);
    EXPECT_LE(extent.cx, r.right) << "the whole total line shows";

    // Moved to a monitor of twice the scale: everything is laid out again at the new DPI.
    const Scale twice(s.num() * 2, s.den());
    RECT suggested{0, 0, twice.Px(kMainClient.cx), twice.Px(kMainClient.cy)};
    SendMessageW(FindLoadedWindow(WindowId::Main)->hwnd(), kDpiChangedMessage,
                 MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
    const Canvas* moved = FindCanvas(WindowId::Main, ids::kMainCanvas)->canvas();
    EXPECT_EQ(moved->Width(), twice.Px(528));
    EXPECT_EQ(moved->GetSpriteAngle(State().pointerSpriteId), 216) << "the wheel as it was";
    // The hidden settings page keeps its layout until it shows; its boxes read back their own.
    Component* hidden = FindLoadedWindow(WindowId::Main)->Find(box->id);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->Bounds().width, box->width);
    FindLoadedWindow(WindowId::Main)->SelectPage(1);
    EXPECT_TRUE(test::ShowsAsPainted(FindLoadedWindow(WindowId::Main)->hwnd()));
    GetWindowRect(GetWindowHandle(WindowId::Main, box->id), &r);
    EXPECT_EQ(r.right - r.left, twice.Px(box->left + box->width) - twice.Px(box->left));
    EXPECT_EQ(hidden->Bounds().width, box->width);
    ExpectFontsAtScale(twice, "moved");

    // Full screen and back: the window comes back at the scale it had.
    FindLoadedWindow(WindowId::Main)->ToggleFullScreen();
    ASSERT_NE(FindCanvas(WindowId::Main, ids::kMainCanvas)->canvas()->Width(), twice.Px(528));
    FindLoadedWindow(WindowId::Main)->ToggleFullScreen();
    EXPECT_EQ(FindCanvas(WindowId::Main, ids::kMainCanvas)->canvas()->Width(), twice.Px(528));
    ExpectFontsAtScale(twice, "back from full screen");

    ResetStateForTesting();
    SetCurrentDirectoryW(tmp);
    DeleteFileW((dir + L"\\peizhi.ini").c_str());
    RemoveDirectoryW(dir.c_str());
}

}  // namespace
}  // namespace kelvra
