#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/encoding.h"
#include "runtime/win/system_library.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

// The tab strip: one row of tabs on top, drawn in the platform's theme where one is on, else in
// the classic raised edges; it answers the tab control's messages (selection, focus, item
// rectangles) and notifies its parent as the platform's tab control does. Its pages are the
// controls whose page number matches the current tab; they are its children.
//
// The strip is the program's own so that the common controls' library need not load before the
// first picture: its places and look are those of the platform's tab control (common controls 6),
// measured from the same font.
constexpr int kSelectedOffset = 2;  // a selected tab stands this much wider and higher
constexpr int kItemPaddingX = 6, kItemPaddingY = 3;
constexpr int kMinTabWidth = 54;
constexpr int kBorder = 2;  // between the row and the pane
constexpr int kRoundCorner = 2;

// The theme functions, from the theme library when it is there.
struct ThemeApi {
    decltype(&OpenThemeData) open = nullptr;
    decltype(&CloseThemeData) close = nullptr;
    decltype(&DrawThemeBackground) draw = nullptr;

    static const ThemeApi& Get() {
        static const ThemeApi api = [] {
            ThemeApi a;
            a.open = SystemFunction<decltype(&OpenThemeData)>(L"uxtheme.dll", "OpenThemeData");
            a.close = SystemFunction<decltype(&CloseThemeData)>(L"uxtheme.dll", "CloseThemeData");
            a.draw = SystemFunction<decltype(&DrawThemeBackground)>(L"uxtheme.dll",
                                                                    "DrawThemeBackground");
            if (a.open == nullptr || a.close == nullptr || a.draw == nullptr) a = {};
            return a;
        }();
        return api;
    }
};

class TabComponent : public Component {
  public:
    using Component::Component;

    void CreateNative(HWND parent) override {
        CreateChild(parent, kTabClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
        const std::string_view titles = def_->text;
        for (size_t start = 0; start <= titles.size();) {
            size_t end = titles.find('\n', start);
            if (end == std::string_view::npos) end = titles.size();
            items_.push_back({GbkToWide(titles.substr(start, end - start)), 0, 0});
            start = end + 1;
        }
        selected_ = focus_ = items_.empty() ? -1 : 0;
        OpenTheme();
        SetNativeFont();
    }
    LRESULT OnNotify(NMHDR* header) override {
        if (header->code == TCN_SELCHANGE) window_.SelectPage(selected_);
        return 0;
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<TabComponent*>(FromHwnd(hwnd));
        if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
        LRESULT result = 0;
        if (RouteToChild(msg, wp, lp, result)) return result;
        if (self->OnMessage(msg, wp, lp, result)) return result;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

  private:
    struct Item {
        std::wstring title;
        int left, right;  // along the row, the first tab at 0
    };

    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void OpenTheme() {
        const ThemeApi& api = ThemeApi::Get();
        if (theme_ != nullptr) api.close(theme_);
        theme_ = api.open != nullptr ? api.open(hwnd_, L"Tab") : nullptr;
    }
    void Measure();
    int Count() const { return static_cast<int>(items_.size()); }
    // The tab's place in the client area, and where it stands when selected.
    RECT ItemRect(int i) const {
        return {items_[i].left + kSelectedOffset, kSelectedOffset,
                items_[i].right + kSelectedOffset, kSelectedOffset + tabHeight_};
    }
    static RECT Selected(RECT r) {
        InflateRect(&r, kSelectedOffset, 0);
        r.top -= kSelectedOffset;
        r.bottom -= 1;
        return r;
    }
    int HitTest(POINT p) const {
        for (int i = 0; i < Count(); ++i) {
            const RECT r = ItemRect(i);
            if (PtInRect(&r, p)) return i;
        }
        return -1;
    }
    bool Notify(UINT code) const {
        NMHDR header{hwnd_, static_cast<UINT_PTR>(GetWindowLongPtrW(hwnd_, GWLP_ID)), code};
        return SendMessageW(GetParent(hwnd_), WM_NOTIFY, header.idFrom,
                            reinterpret_cast<LPARAM>(&header)) != 0;
    }
    void InvalidateRow() const {
        RECT r{0, 0, 0, tabHeight_ + kBorder};
        if (!items_.empty()) r.right = ItemRect(Count() - 1).right + 2 * kSelectedOffset;
        InvalidateRect(hwnd_, &r, TRUE);
    }
    void InvalidateItem(int i) const {
        if (i < 0 || i >= Count()) return;
        const RECT r = Selected(ItemRect(i));
        InvalidateRect(hwnd_, &r, TRUE);
    }
    int SetCurSel(int i) {
        const int previous = selected_;
        if (i >= Count()) return -1;
        if (i != previous) {
            selected_ = focus_ = i < 0 ? -1 : i;
            InvalidateRow();
        }
        return previous;
    }
    // The focused tab of a row of tabs is the selected one: moving it selects, and notifies.
    void SetCurFocus(int i) {
        if (i < 0 || i >= Count() || (i == selected_ && focus_ != -1)) return;
        const bool had = focus_ != -1;
        focus_ = i;
        if (!had) return;
        const bool refused = Notify(TCN_SELCHANGING);
        selected_ = i;
        if (!refused) Notify(TCN_SELCHANGE);
        InvalidateRow();
    }
    void SetHot(int i) {
        if (i == hot_) return;
        InvalidateItem(hot_);
        hot_ = i;
        InvalidateItem(hot_);
        if (hot_ >= 0) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
            TrackMouseEvent(&track);
        }
    }
    void Paint(HDC dc) const;
    void PaintItem(HDC dc, int i) const;
    void PaintTitle(HDC dc, int i) const;
    void PaintPane(HDC dc) const;

    std::vector<Item> items_;
    int selected_ = -1, focus_ = -1, hot_ = -1;
    int tabHeight_ = 0;
    HFONT font_ = nullptr;
    HTHEME theme_ = nullptr;
};

bool TabComponent::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
        case TCM_GETITEMCOUNT:
            result = Count();
            return true;
        case TCM_GETCURSEL:
            result = selected_;
            return true;
        case TCM_SETCURSEL:
            result = SetCurSel(static_cast<int>(wp));
            return true;
        case TCM_GETCURFOCUS:
            result = focus_;
            return true;
        case TCM_SETCURFOCUS:
            SetCurFocus(static_cast<int>(wp));
            return true;
        case TCM_GETROWCOUNT:
            result = items_.empty() ? 0 : 1;
            return true;
        case TCM_GETITEMRECT: {
            const int i = static_cast<int>(wp);
            if (i < 0 || i >= Count() || lp == 0) return true;
            *reinterpret_cast<RECT*>(lp) = ItemRect(i);
            result = TRUE;
            return true;
        }
        case TCM_HITTEST: {
            auto* info = reinterpret_cast<TCHITTESTINFO*>(lp);
            result = -1;
            if (info == nullptr) return true;  // another program's message without its answer
            result = HitTest(info->pt);
            info->flags = result < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
            return true;
        }
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wp);
            Measure();
            if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, TRUE);
            return true;
        case WM_GETFONT:
            result = reinterpret_cast<LRESULT>(font_);
            return true;
        case WM_GETDLGCODE:
            result = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return true;
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd_);
            const int i = HitTest({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            if (i < 0 || i == selected_ || Notify(TCN_SELCHANGING)) return true;
            SetCurSel(i);
            Notify(TCN_SELCHANGE);
            return true;
        }
        case WM_KEYDOWN:
            if (wp == VK_LEFT || wp == VK_RIGHT) SetCurFocus(focus_ + (wp == VK_LEFT ? -1 : 1));
            return true;
        case WM_MOUSEMOVE:
            if (theme_ != nullptr) SetHot(HitTest({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}));
            return false;
        case WM_MOUSELEAVE:
            SetHot(-1);
            return true;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateItem(focus_);
            return false;
        case WM_NCHITTEST: {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ScreenToClient(hwnd_, &p);
            // Clicks beside the tabs go to what lies under the strip.
            result = HitTest(p) < 0 ? HTTRANSPARENT : HTCLIENT;
            return true;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return true;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wp));
            return true;
        case WM_THEMECHANGED:
            OpenTheme();
            InvalidateRect(hwnd_, nullptr, TRUE);
            return true;
        case WM_DESTROY:
            if (theme_ != nullptr) ThemeApi::Get().close(theme_);
            theme_ = nullptr;
            return false;
        default:
            return false;
    }
}

void TabComponent::Measure() {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    tabHeight_ = metrics.tmHeight + 2 + kItemPaddingY;
    int left = 0;
    for (Item& item : items_) {
        SIZE size{};
        GetTextExtentPoint32W(dc, item.title.c_str(), static_cast<int>(item.title.size()), &size);
        item.left = left;
        item.right = left + std::max<int>(size.cx + 2 * kItemPaddingX, kMinTabWidth);
        left = item.right;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
}

void TabComponent::Paint(HDC dc) const {
    HGDIOBJ old = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(SYSTEM_FONT));
    // The selected tab last: it overlaps its neighbours and the pane's edge.
    for (int i = 0; i < Count(); ++i)
        if (i != selected_) PaintItem(dc, i);
    PaintPane(dc);
    if (selected_ >= 0) PaintItem(dc, selected_);
    SelectObject(dc, old);
}

void TabComponent::PaintPane(HDC dc) const {
    RECT r;
    GetClientRect(hwnd_, &r);
    if (!items_.empty()) r.top += tabHeight_ + kBorder;
    if (theme_ != nullptr)
        ThemeApi::Get().draw(theme_, dc, TABP_PANE, 0, &r, nullptr);
    else
        DrawEdge(dc, &r, EDGE_RAISED, BF_SOFT | BF_RECT);
}

void TabComponent::PaintItem(HDC dc, int i) const {
    const RECT item = ItemRect(i);
    const RECT selectedRect = Selected(item);
    const bool selected = i == selected_;
    RECT r = selected ? selectedRect : item;
    RECT client;
    GetClientRect(hwnd_, &client);
    if (theme_ != nullptr) {
        // The part tells a tab at the strip's left or right end, as the platform's control does.
        int part = selected ? TABP_TOPTABITEM : TABP_TABITEM;
        const bool leftEnd = selectedRect.left == 0, rightEnd = selectedRect.right == client.right;
        part += leftEnd && rightEnd ? 3 : leftEnd ? 1 : rightEnd ? 2 : 0;
        const int state = selected      ? TIS_SELECTED
                          : i == hot_   ? TIS_HOT
                          : i == focus_ ? TIS_FOCUSED
                                        : TIS_NORMAL;
        r.bottom += 3;
        ThemeApi::Get().draw(theme_, dc, part, state, &r, nullptr);
    } else {
        RECT fill = r;
        if (selected && selectedRect.left == 0) fill.left += kBorder;
        if (selected && selectedRect.right == client.right) fill.right -= kBorder;
        fill.bottom += 3;
        r.bottom += 2;
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr);
        DrawEdge(dc, &r, EDGE_RAISED, BF_SOFT | BF_LEFT | BF_TOP | BF_RIGHT);
        // Rounded top corners: each cleared and crossed by a diagonal edge.
        RECT corner{r.right - kRoundCorner, r.top, r.right, r.top + kRoundCorner + 1};
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &corner, nullptr, 0, nullptr);
        ++corner.top;
        DrawEdge(dc, &corner, EDGE_RAISED, BF_SOFT | BF_DIAGONAL_ENDBOTTOMRIGHT);
        corner = {r.left, r.top, r.left + kRoundCorner, r.top + kRoundCorner + 1};
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &corner, nullptr, 0, nullptr);
        ++corner.top;
        DrawEdge(dc, &corner, EDGE_RAISED, BF_SOFT | BF_DIAGONAL_ENDTOPRIGHT);
    }
    PaintTitle(dc, i);
}

void TabComponent::PaintTitle(HDC dc, int i) const {
    const bool selected = i == selected_;
    RECT r = selected ? Selected(ItemRect(i)) : ItemRect(i);
    if (selected) {
        r.bottom += 3;
    } else {
        r.bottom -= 2;
        InflateRect(&r, -2, 0);
    }
    if (theme_ == nullptr) {
        RECT inner = r;
        InflateRect(&inner, -2, -2);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &inner, nullptr, 0, nullptr);
    }
    if (GetFocus() == hwnd_ && i == focus_) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    const std::wstring& title = items_[i].title;
    RECT text{};
    DrawTextW(dc, title.c_str(), -1, &text, DT_CALCRECT);
    const int offsetX = ((r.right - r.left) - (text.right - text.left)) / 2;
    int offsetY = ((r.bottom - r.top) - (text.bottom - text.top)) / 2;
    // A selected title sits a little higher, the others a little lower.
    offsetY += selected ? -kItemPaddingY / 2 : kItemPaddingY / 2;
    r.left += offsetX;
    r.top += std::max(offsetY, 0);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour =
        theme_ == nullptr ? SetTextColor(dc, GetSysColor(COLOR_BTNTEXT)) : GetTextColor(dc);
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r, DT_LEFT | DT_SINGLELINE);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

}  // namespace

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return TabComponent::Proc(hwnd, msg, wp, lp);
}

std::unique_ptr<Component> MakeTab(WindowHost& window, const ControlDef& def) {
    return std::make_unique<TabComponent>(window, &def);
}

}  // namespace kelvra
