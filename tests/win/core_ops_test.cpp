// The Windows side of the core operations: message boxes, the fatal error exit, the hot-key
// route, the event pump and the timed wait, and automation.
#include <windows.h>

#include <algorithm>
#include <ctime>

#include <gtest/gtest.h>

#include "app/clock.h"
#include "app/state.h"
#include "runtime/encoding.h"
#include "runtime/fatal.h"
#include "runtime/layer_state.h"
#include "runtime/text.h"
#include "runtime/win/automation.h"
#include "runtime/win/events.h"
#include "runtime/win/hotkey.h"
#include "runtime/win/message_box.h"
#include "tests/win/win_test_support.h"
#include "ui/pictures.h"
#include "ui/resources.h"
#include "ui/text_render.h"
#include "wheel/canvas.h"
#include "wheel/png_decode.h"

namespace kelvra {
namespace {

using test::BoxWatcher;

std::wstring W(std::string_view gbk) {
    return GbkToWide(gbk);
}

// A plain top-level window that records the messages it gets.
struct Recorder {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && msg >= WM_USER) self->seen.push_back({msg, wp, lp});
        if (self != nullptr && msg == WM_HOTKEY) self->hotKeys++;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    struct Seen {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    };
    Recorder() {
        static ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Recorder::Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"KelvraTestRecorder";
            return RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd = CreateWindowExW(0, L"KelvraTestRecorder", L"recorder", WS_OVERLAPPEDWINDOW, 0, 0,
                               100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Recorder() { DestroyWindow(hwnd); }
    HWND hwnd;
    std::vector<Seen> seen;
    int hotKeys = 0;
};

TEST(MessageBoxes, DefaultTitleIsInformationAndOkGivesZero) {
    Recorder other;  // a window of this thread: a task-modal box disables it while open
    ShowWindow(other.hwnd, SW_SHOW);
    bool otherEnabled = true;
    std::wstring text;
    BoxWatcher watcher(W("信息："), IDOK, [&](HWND box) {
        text = test::BoxMessage(box);
        otherEnabled = IsWindowEnabled(other.hwnd) != FALSE;
    });
    EXPECT_EQ(ShowMessageBox("中间率必须为100%，请重新设置！", 0), 0);
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(text, W("中间率必须为100%，请重新设置！"));
    EXPECT_FALSE(otherEnabled) << "the box must be task-modal";
}

TEST(MessageBoxes, ButtonCodesAreMapped) {
    struct Case {
        UINT flags;
        int press;
        int32_t expected;
    } cases[] = {{MB_YESNO, IDNO, 6},
                 {MB_YESNO, IDYES, 5},
                 {MB_OKCANCEL, IDCANCEL, 1},
                 {MB_ABORTRETRYIGNORE, IDRETRY, 3},
                 {MB_ABORTRETRYIGNORE, IDIGNORE, 4}};
    for (const Case& c : cases) {
        BoxWatcher watcher(L"t", c.press);
        EXPECT_EQ(ShowMessageBox("?", static_cast<int32_t>(c.flags), "t"), c.expected)
            << "flags " << c.flags << " pressed " << c.press;
    }
}

test::ChildRegistrar remainderByZero(L"remainder-by-zero", [] {
    volatile double zero = 0.0;
    Remainder(5.0, zero);
});
test::ChildRegistrar errorWithCode(L"error-with-code",
                                   [] { ReportRuntimeError("数组成员引用下标超出定义范围", 1); });
test::ChildRegistrar refusedAllocation(L"refused-allocation", [] {
    std::vector<char> tooMuch(size_t{0x7FFFFFF0});
    volatile char first = tooMuch[0];
    (void)first;
});

TEST(FatalError, EachShowsItsBoxAndExitsMinusOne) {
    const struct {
        const wchar_t* child;
        const char* message;
    } cases[] = {
        {L"remainder-by-zero", "错误信息：不能求余数于零\r\n"},
        {L"error-with-code", "错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"},
        {L"refused-allocation", "错误信息：分配 2147483632 字节内存失败!\r\n"},
    };
    for (const auto& c : cases) {
        const test::ChildResult r = test::RunChildProcess(c.child);
        ASSERT_FALSE(r.timedOut) << WideToGbk(c.child);
        EXPECT_EQ(r.boxTitle, W("错误"));
        EXPECT_EQ(r.boxText, W("运行时出错!\r\n\r\n") + W(c.message));
        EXPECT_EQ(r.exitCode, static_cast<DWORD>(-1));
    }
}

TEST(HotKey, PressesReachTheTargetAndThePreviousProcedure) {
    ResetStateForTesting();
    Recorder window, target;
    const int32_t id = RegisterNotifyHotKey(window.hwnd, target.hwnd, 1, VK_F12);
    ASSERT_EQ(id, 33001);
    SendMessageW(window.hwnd, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL, VK_F12));
    ASSERT_EQ(target.seen.size(), 1u);
    EXPECT_EQ(target.seen[0].msg, kHotKeyNotifyMessage);
    EXPECT_EQ(target.seen[0].wp, static_cast<WPARAM>(33001));
    EXPECT_EQ(target.seen[0].lp, 0);
    EXPECT_EQ(window.hotKeys, 1) << "the window's own procedure still sees WM_HOTKEY";

    // An id that was never handed out goes nowhere.
    SendMessageW(window.hwnd, WM_HOTKEY, 33999, 0);
    EXPECT_EQ(target.seen.size(), 1u);

    // The single target slot: the newest target gets every hot key set up so far.
    Recorder second;
    const int32_t id2 = RegisterNotifyHotKey(window.hwnd, second.hwnd, 6, VK_F11);
    EXPECT_EQ(id2, 33002);
    SendMessageW(window.hwnd, WM_HOTKEY, 33001, 0);
    EXPECT_EQ(target.seen.size(), 1u);
    ASSERT_EQ(second.seen.size(), 1u);
    EXPECT_EQ(second.seen[0].wp, static_cast<WPARAM>(33001));
    UnregisterHotKey(window.hwnd, 33001);
    UnregisterHotKey(window.hwnd, 33002);
    ResetStateForTesting();
}

TEST(Events, ProcessPendingEventsDispatchesAllAndLeavesQuitQueued) {
    Recorder r;
    for (UINT m = WM_USER + 1; m <= WM_USER + 3; ++m) PostMessageW(r.hwnd, m, 0, 0);
    ProcessPendingEvents();
    EXPECT_EQ(r.seen.size(), 3u);

    PostQuitMessage(7);
    PostMessageW(r.hwnd, WM_USER + 9, 0, 0);
    ProcessPendingEvents();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    ProcessPendingEvents();
    EXPECT_EQ(r.seen.back().msg, static_cast<UINT>(WM_USER + 9));
}

TEST(Events, DelayWaitsStrictlyLongerAndServesEvents) {
    Recorder r;
    FineTimerScope fine;
    PostMessageW(r.hwnd, WM_USER + 1, 0, 0);
    const int64_t start = TickCountMs();
    Delay(30);
    const int64_t elapsed = TickCountMs() - start;
    EXPECT_GT(elapsed, 30);
    EXPECT_EQ(r.seen.size(), 1u);
}

TEST(Automation, UnknownProgIdFailsAndKeepsTheHeldObject) {
    AutomationObject dict;
    ASSERT_TRUE(CreateAutomationObject(dict, "Scripting.Dictionary"));
    IDispatch* held = dict.get();
    EXPECT_FALSE(CreateAutomationObject(dict, "Kelvra.NoSuchThing"));
    EXPECT_FALSE(CreateAutomationObject(dict, "{00000000-0000-0000-0000-00000000DEAD}"));
    EXPECT_EQ(dict.get(), held);
    ReleaseAutomationObject(dict);
    EXPECT_EQ(dict.get(), nullptr);
}

TEST(Automation, MethodsAndPropertiesWithTextArguments) {
    AutomationObject dict;
    ASSERT_TRUE(CreateAutomationObject(dict, "Scripting.Dictionary"));
    Variant ignored;
    CallAutomationMethod(dict, "Add", {"键", "值一"}, ignored);
    EXPECT_EQ(CallAutomationMethodAsDouble(dict, "Exists", {"键"}), -1.0);  // VARIANT_TRUE
    EXPECT_EQ(CallAutomationMethodAsDouble(dict, "Exists", {"无"}), 0.0);
    Variant item;
    CallAutomationMethod(dict, "Item", {"键"}, item);
    EXPECT_EQ(VariantToText(item), "值一");
    Variant failed;
    CallAutomationMethod(dict, "NoSuchMethod", {}, failed);
    EXPECT_EQ(VariantToText(failed), "");
    EXPECT_FALSE(SetAutomationProperty(dict, "NoSuchProperty", "1"));
}

TEST(Automation, WholeNumberDoubleBecomesPlainDigits) {
    Variant v;
    v.get()->vt = VT_R8;
    v.get()->dblVal = 1765432109876.0;
    EXPECT_EQ(VariantToText(v), "1765432109876");
    EXPECT_EQ(TextToInt64(VariantToText(v)), 1765432109876LL);
}

TEST(Automation, ClockReadingsAreWallClockMillisecondsApartByTheTimeSlept) {
    // The system clock against the C library's seconds read around it, one second of slack each
    // way: a wrong unit or epoch lands far outside. Under Wine the script clock gives nothing, and
    // this is all that holds the unit of the reading a spin compares with the start time.
    const int64_t secondsBefore = std::time(nullptr);
    const int64_t system = SystemTimeMs();
    const int64_t secondsAfter = std::time(nullptr);
    EXPECT_GE(system, (secondsBefore - 1) * 1000) << "milliseconds since 1970";
    EXPECT_LT(system, (secondsAfter + 2) * 1000) << "milliseconds since 1970";

    const int64_t first = CurrentTimeMs();
    Sleep(400);
    const int64_t second = CurrentTimeMs();
    // Only a lower bound: how much longer a loaded machine sleeps is no property of the clock.
    EXPECT_GE(second - first, 380) << "a millisecond count";
    EXPECT_NEAR(static_cast<double>(second), static_cast<double>(SystemTimeMs()), 2000.0)
        << "milliseconds since 1970, as the system clock counts them";
}

// Each size is made once while it is shown, from the 200 % master where there is one. A picture
// baked in at one size is what would be made there, pixel for pixel: a new source picture or a
// changed stretch needs tools/bake-pictures.sh.
TEST(Pictures, EachSizeIsMadeOnceAndBakedOnesAreWhatWouldBeMade) {
    ResetStateForTesting();
    const std::tuple<Asset, int, int> sizes[] = {
        {Asset::Hub, 144, 144}, {Asset::Hub, 144, 145}, {Asset::Sunburst, 660, 685}};
    std::weak_ptr<const Image> shown;
    for (const auto& [asset, w, h] : sizes) {
        const std::shared_ptr<const Image> picture = PictureAt(asset, w, h);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(std::pair(picture->width, picture->height), std::pair(w, h));
        EXPECT_EQ(PictureAt(asset, w, h).get(), picture.get()) << "made once";
        shown = picture;
    }
    EXPECT_TRUE(shown.expired()) << "not kept once nothing shows it";
    const std::shared_ptr<const Image> before = PictureAt(Asset::Hub, 144, 144);
    ResetStateForTesting();
    EXPECT_NE(PictureAt(Asset::Hub, 144, 144), before) << "made again after the reset";
    const auto decoded = [](const wchar_t* resource) {
        Image image;
        const std::string_view bytes = ResourceBytes(resource);
        DecodePng(bytes.data(), bytes.size(), image);
        return image;
    };
    EXPECT_TRUE(*PictureAt(Asset::Hub, 230, 230) == decoded(L"HUB2X_PNG")) << "the master at 200 %";
    for (const BakedPicture& b : kBakedPictures) {
        if (b.width == 0 || b.width == kBakedMaster) {
            const Image source = b.width == 0 ? DecodedSource(b.asset) : DecodedMaster(b.asset);
            ASSERT_FALSE(source.IsEmpty());
            EXPECT_TRUE(ImageFromRawPicture(ResourceBytes(b.resource)) == source)
                << WideToGbk(b.resource) << ": bake again";
            if (b.width == 0) {
                EXPECT_TRUE(*Picture(b.asset) == source);
                EXPECT_TRUE(Picture(b.asset)->pixels.IsLent())
                    << WideToGbk(b.resource) << ": shown where it lies, not copied";
            }
            continue;
        }
        const PixelsView baked = BakedPixels(b.asset, b.width, b.height);
        ASSERT_EQ(baked.width, b.width) << "no picture baked as " << WideToGbk(b.resource);
        const Image made = MakePictureAt(b.asset, b.width, b.height);
        EXPECT_TRUE(std::equal(made.pixels.begin(), made.pixels.end(), baked.pixels))
            << WideToGbk(b.resource) << ": bake again";
        EXPECT_TRUE(*PictureAt(b.asset, b.width, b.height) == made) << "the copy PictureAt gives";
        EXPECT_TRUE(std::all_of(made.pixels.begin(), made.pixels.end(), [](uint32_t p) {
            return p >> 24 == 0xFF;
        })) << "a canvas shows a baked background as opaque";
    }
    // Made ahead on another thread (a new layout's pictures), each is the picture made in place,
    // and is taken rather than made again; one wanted but never taken is dropped.
    ResetStateForTesting();
    const Image covering = *PictureCovering(Asset::Sunburst, 640, 360);
    const Image plate = *PictureAt(Asset::Plate, 981, 981);
    ResetStateForTesting();
    PreparePictures({{Asset::Plate, 981, 981, false},
                     {Asset::Sunburst, 640, 360, true},
                     {Asset::Hub, 300, 300, false}});
    const auto& prepared = LayerState<PictureCache>().prepared;
    ASSERT_EQ(prepared.size(), 3u);
    EXPECT_TRUE(*PictureAt(Asset::Plate, 981, 981) == plate);
    EXPECT_TRUE(*PictureCovering(Asset::Sunburst, 640, 360) == covering);
    EXPECT_EQ(prepared.size(), 1u) << "both taken";
    DropPreparedPictures();
    EXPECT_TRUE(prepared.empty());
    // Texts drawn ahead at an idle moment are taken by the layout that shows them, not drawn
    // again, and are what would be drawn in place; after a save only those still shown are kept.
    FontSpec font;
    font.set = true;
    font.height = -40;
    font.face = "宋体";
    const Image vip = RenderTextImage("VIP", font, 0);
    DrawTextsAhead({{"VIP", font, 0}, {"OLD", font, 0}});
    DrawTextsAhead({{"VIP", font, 0}, {"NEW", font, 0}}, false);
    ASSERT_EQ(LayerState<PictureCache>().textsAhead.size(), 1u) << "OLD forgotten, NEW not drawn";
    PreparePictures({}, {{"VIP", font, 0}, {"WWW", font, 0}});
    const PictureCache& cache = LayerState<PictureCache>();
    EXPECT_EQ(cache.preparedTexts.size(), 1u) << "VIP was drawn ahead";
    EXPECT_TRUE(PreparedTexts("VIP", font, 0) == vip);
    EXPECT_TRUE(cache.textsAhead.empty()) << "taken";
    DropPreparedPictures();
}

// The large glyphs of a label are drawn 64 label rows at a time, each band with a margin row
// above and below that the smoothing reaches into. A label taller than a band (a name in full
// screen at a high scale) shows no seam: its second line, across the seam, is the same text drawn
// alone in one band, row for row.
TEST(Labels, ALabelTallerThanOneBandIsDrawnAsInOne) {
    constexpr int kBandRows = 64;
    FontSpec font;
    font.set = true;
    font.height = -40;
    font.face = "黑体";
    const Image alone = RenderTextImage("字", font, 0x0000FF);
    const Image tall = RenderTextImage("\n字", font, 0x0000FF);
    const int lineTop = alone.height + kTextLineGap;
    ASSERT_EQ(tall.height, lineTop + alone.height);
    ASSERT_LT(lineTop, kBandRows);
    ASSERT_GT(tall.height, kBandRows + 1) << "the second line crosses the seam";
    ASSERT_EQ(tall.width, alone.width);
    const auto inked = [&](int row) {
        return std::any_of(&tall.pixels[row * tall.width], &tall.pixels[(row + 1) * tall.width],
                           [](uint32_t p) { return PixelAlpha(p) != 0; });
    };
    ASSERT_TRUE(inked(kBandRows - 1) && inked(kBandRows)) << "the glyph has ink at the seam";
    for (int y = 0; y < alone.height; y++)
        EXPECT_TRUE(std::equal(&alone.pixels[y * alone.width], &alone.pixels[(y + 1) * alone.width],
                               &tall.pixels[(lineTop + y) * tall.width]))
            << "label row " << lineTop + y;
}

}  // namespace
}  // namespace kelvra
