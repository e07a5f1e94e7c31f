#include "ui/component.h"

#include <cstring>
#include <unordered_map>

#include "runtime/encoding.h"
#include "runtime/text.h"
#include "runtime/win/system_library.h"

namespace kelvra {

namespace {

// The components by their native windows. A window procedure finds its component here on every
// message: a window's property would be a request to the system each time (under Wine a round
// trip to its server, dozens of them in one paint of the settings page), and the table holds no
// window of another process. It outlives every component, whatever the order of exit.
std::unordered_map<HWND, Component*>& ComponentsByWindow() {
    static auto* const table = new std::unordered_map<HWND, Component*>;
    return *table;
}

void Forget(HWND hwnd, const Component* c) {
    auto& table = ComponentsByWindow();
    const auto it = table.find(hwnd);
    if (it != table.end() && it->second == c) table.erase(it);
}

// Cursor data as the mouse-pointer property holds it: four bytes naming a system cursor
// (IDC_HAND is 32649), or the bytes of a .cur file, whose first image is taken.
HCURSOR CursorFromData(const std::vector<uint8_t>& data) {
    auto le16 = [&](size_t at) { return static_cast<uint32_t>(data[at] | data[at + 1] << 8); };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    if (data.size() == 4) return LoadCursorW(nullptr, MAKEINTRESOURCEW(le32(0)));
    // ICONDIR (6 bytes) then ICONDIRENTRY (16 bytes: ..., hotspot x/y at 4 and 6, size at 8,
    // offset at 12); the resource form of a cursor is the hotspot followed by the image.
    if (data.size() < 22 || le16(0) != 0 || le16(2) != 2 || le16(4) == 0) return nullptr;
    const uint32_t size = le32(6 + 8), offset = le32(6 + 12);
    if (offset > data.size() || size > data.size() - offset) return nullptr;
    std::vector<uint8_t> resource(4 + size);
    std::memcpy(resource.data(), data.data() + 6 + 4, 4);
    std::memcpy(resource.data() + 4, data.data() + offset, size);
    return reinterpret_cast<HCURSOR>(CreateIconFromResourceEx(
        resource.data(), static_cast<DWORD>(resource.size()), FALSE, 0x00030000, 0, 0, 0));
}

}  // namespace

Component::Component(WindowHost& window, const ControlDef* def) : window_(window), def_(def) {
    if (def != nullptr) {
        common_.left = def->left;
        common_.top = def->top;
        common_.width = def->width;
        common_.height = def->height;
        common_.visible = def->visible;
        if (def->handCursor) cursor_ = LoadCursorW(nullptr, IDC_HAND);
    }
}

Component::~Component() {
    Forget(hwnd_, this);
}

ControlType Component::type() const {
    return def_ ? def_->type : ControlType::Window;
}

int32_t Component::id() const {
    return def_ ? def_->id : window_.selfId();
}

void Component::Attach(HWND hwnd) {
    Forget(hwnd_, this);
    hwnd_ = hwnd;
    if (hwnd != nullptr) ComponentsByWindow()[hwnd] = this;
}

HWND Component::CreateChild(HWND parent, const wchar_t* windowClass, std::wstring_view text,
                            DWORD style, DWORD exStyle) {
    // The program's own classes are all named so; the platform's controls need their library.
    if (std::wstring_view(windowClass).substr(0, 6) != L"Kelvra") LoadCommonControls();
    const std::wstring caption(text);
    const PixelRect r = window_.PixelsOf(*this);
    HWND hwnd = CreateWindowExW(exStyle, windowClass, caption.c_str(),
                                WS_CHILD | WS_CLIPSIBLINGS | style, r.left, r.top, r.width,
                                r.height, parent, nullptr, window_.instance(), nullptr);
    Attach(hwnd);
    return hwnd;
}

WNDPROC Component::Subclass(WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

Component* Component::FromHwnd(HWND hwnd) {
    const auto& table = ComponentsByWindow();
    const auto it = table.find(hwnd);
    return it != table.end() ? it->second : nullptr;
}

HFONT Component::Font() const {
    if (def_ == nullptr || def_->font.IsDefaultGui()) return window_.GuiFont();
    return window_.FontFor(def_->font);
}

void Component::Relayout() {
    if (hwnd_ == nullptr || def_ == nullptr) return;
    const PixelRect r = window_.PixelsOf(*this);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetNativeFont();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Component::SetNativeFont() {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

bool Component::ShouldShow() const {
    if (!common_.visible) return false;
    if (def_ != nullptr && def_->page >= 0 && def_->page != window_.currentPage()) return false;
    return true;
}

void Component::ApplyVisibility() {
    // A sprite template is never shown, whatever its visible property says.
    if (hwnd_ == nullptr || def_ == nullptr || type() == ControlType::CartoonObject) return;
    ShowWindow(hwnd_, ShouldShow() ? SW_SHOWNA : SW_HIDE);
}

void Component::ApplyCursor() {
    if (!common_.cursor.empty()) {
        cursor_ = CursorFromData(common_.cursor);
    } else {
        cursor_ = def_ != nullptr && def_->handCursor ? LoadCursorW(nullptr, IDC_HAND) : nullptr;
    }
    POINT p;
    if (hwnd_ != nullptr && cursor_ != nullptr && GetCursorPos(&p) && WindowFromPoint(p) == hwnd_)
        SetCursor(cursor_);
}

UnitRect Component::Bounds() const {
    if (Live() && !layoutBehind_) return window_.UnitsOf(*this);
    return {common_.left, common_.top, common_.width, common_.height};
}

void Component::SetBounds(const UnitRect& units, UINT keep) {
    common_.left = units.left;
    common_.top = units.top;
    common_.width = units.width;
    common_.height = units.height;
    if (!Live() || layoutBehind_) return;
    // The window itself has no layout rectangle: its place is read and written in pixels.
    const PixelRect r = def_ != nullptr
                            ? window_.PixelsOf(*this)
                            : PixelRect{units.left, units.top, units.width, units.height};
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height,
                 keep | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A live window moves or resizes from where it is.
void Component::SetLeft(int32_t left) {
    UnitRect r = Bounds();
    r.left = ClampPosition(left);
    SetBounds(r, SWP_NOSIZE);
}

void Component::SetTop(int32_t top) {
    UnitRect r = Bounds();
    r.top = ClampPosition(top);
    SetBounds(r, SWP_NOSIZE);
}

void Component::SetWidth(int32_t width) {
    UnitRect r = Bounds();
    r.width = ClampSize(width);
    SetBounds(r, SWP_NOMOVE);
}

void Component::SetHeight(int32_t height) {
    UnitRect r = Bounds();
    r.height = ClampSize(height);
    SetBounds(r, SWP_NOMOVE);
}

void Component::SetTag(std::string_view tag) {
    common_.tag = std::string(TextView(tag));
}

bool Component::Visible() const {
    if (Live() && type() != ControlType::CartoonObject) return IsWindowVisible(hwnd_) != FALSE;
    return common_.visible;
}

void Component::SetVisible(bool visible) {
    common_.visible = visible;
    if (!Live()) return;
    if (def_ == nullptr)
        ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
    else
        ApplyVisibility();
}

bool Component::Disabled() const {
    return Live() ? IsWindowEnabled(hwnd_) == FALSE : common_.disabled;
}

void Component::SetDisabled(bool disabled) {
    common_.disabled = disabled;
    if (Live()) EnableWindow(hwnd_, !disabled);
}

void Component::SetCursorData(const std::vector<uint8_t>& data) {
    common_.cursor = data;
    ApplyCursor();
}

PropertyValue Component::ReadTypeProperty(int32_t number, int32_t) {
    auto it = extra_.find(number);
    return it != extra_.end() ? it->second : PropertyValue{};
}

void Component::WriteTypeProperty(int32_t number, int32_t, const PropertyValue& value) {
    extra_[number] = value;
}

int32_t Component::Raise(EventKind event, EventArgs args) {
    return window_.Raise(id(), event, args);
}

bool Component::RouteToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (Component* c = FromHwnd(reinterpret_cast<HWND>(lp))) {
                c->OnCommand(HIWORD(wp));
                result = 0;
                return true;
            }
            return false;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (Component* c = FromHwnd(header->hwndFrom)) {
                result = c->OnNotify(header);
                return true;
            }
            return false;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (Component* c = FromHwnd(reinterpret_cast<HWND>(lp))) {
                if (HBRUSH brush = c->OnCtlColor(reinterpret_cast<HDC>(wp))) {
                    result = reinterpret_cast<LRESULT>(brush);
                    return true;
                }
            }
            return false;
        case WM_SETCURSOR:
            // A child's own cursor: the platform asks the parent first.
            if (Component* c = FromHwnd(reinterpret_cast<HWND>(wp));
                c != nullptr && c->Cursor() != nullptr && LOWORD(lp) == HTCLIENT) {
                SetCursor(c->Cursor());
                result = TRUE;
                return true;
            }
            return false;
        default:
            return false;
    }
}

std::string NativeCaptionComponent::Caption() const {
    return WideToGbk(WindowTextOf(hwnd_));
}

void NativeCaptionComponent::SetCaption(std::string_view text) {
    SetWindowTextW(hwnd_, GbkToWide(text).c_str());
}

// The window's caption and the button's have one number.
static_assert(int32_t{WindowProperty::Caption} == int32_t{ButtonProperty::Caption});

PropertyValue NativeCaptionComponent::ReadTypeProperty(int32_t number, int32_t member) {
    if (number == WindowProperty::Caption) return PropertyValue::Text(Caption());
    return Component::ReadTypeProperty(number, member);
}

void NativeCaptionComponent::WriteTypeProperty(int32_t number, int32_t member,
                                               const PropertyValue& value) {
    if (number == WindowProperty::Caption) return SetCaption(value.text);
    Component::WriteTypeProperty(number, member, value);
}

COLORREF OrBlack(uint32_t colour) {
    return colour == kNoColour ? RGB(0, 0, 0) : colour & 0xFFFFFFu;
}

std::wstring WindowTextOf(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

void PaintCaption(HDC dc, HFONT font, std::string_view gbk, uint32_t colour, RECT area,
                  UINT flags) {
    const std::wstring text = GbkToWide(gbk);
    if (text.empty()) return;
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, OrBlack(colour));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_NOPREFIX | flags);
    SelectObject(dc, old);
}

}  // namespace kelvra
