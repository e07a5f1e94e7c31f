#include "ui/components.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "config/rate_rules.h"
#include "runtime/encoding.h"
#include "runtime/fatal.h"
#include "runtime/text.h"
#include "runtime/win/events.h"
#include "runtime/win/hotkey.h"
#include "ui/assets.h"

namespace kelvra {

namespace {

HINSTANCE g_instance = nullptr;
std::span<const Binding> g_bindings;
std::map<int32_t, std::unique_ptr<LoadedWindow>> g_windows;
constexpr wchar_t kComponentProp[] = L"KelvraComponent";
constexpr wchar_t kFrameClass[] = L"KelvraFrame";
constexpr wchar_t kLabelClass[] = L"KelvraLabel";
constexpr wchar_t kTransLabelClass[] = L"KelvraTransLabel";
constexpr wchar_t kCanvasClass[] = L"KelvraCanvas";
constexpr wchar_t kTemplateClass[] = L"KelvraTemplate";

const char* kNotLoaded = "未载入欲访问窗口组件所在的窗口";
const char* kNoNativeWindow = "指定窗口尚未载入";
const char* kNoSuchComponent = "指定窗口或窗口组件不存在或尚未载入";

COLORREF OrBlack(uint32_t c) {
    return c == kNoColour ? RGB(0, 0, 0) : c;
}

int32_t ModifierKeys(WPARAM wp) {
    int32_t keys = 0;
    if (wp & MK_CONTROL) keys |= 1;
    if (wp & MK_SHIFT) keys |= 2;
    if (GetKeyState(VK_MENU) < 0) keys |= 4;
    return keys;
}

std::wstring WindowTextOf(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

// Routes what a container receives on behalf of its children (commands, notifications,
// colours) to the child components. True when handled.
bool RouteToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (Component* c = Component::FromHwnd(reinterpret_cast<HWND>(lp))) {
                c->OnCommand(HIWORD(wp));
                result = 0;
                return true;
            }
            return false;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (Component* c = Component::FromHwnd(header->hwndFrom)) {
                result = c->OnNotify(header);
                return true;
            }
            return false;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (Component* c = Component::FromHwnd(reinterpret_cast<HWND>(lp))) {
                if (HBRUSH brush = c->OnCtlColor(reinterpret_cast<HDC>(wp))) {
                    result = reinterpret_cast<LRESULT>(brush);
                    return true;
                }
            }
            return false;
        default:
            return false;
    }
}

// WM_PAINT through `paint`; WM_ERASEBKGND does nothing, since the paint covers everything and
// erasing first would flicker.
template <typename Paint>
LRESULT PaintMessage(HWND hwnd, UINT msg, Paint paint) {
    if (msg == WM_ERASEBKGND) return 1;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paint(dc, ps.rcPaint);
    EndPaint(hwnd, &ps);
    return 0;
}

class SolidBrush {
  public:
    explicit SolidBrush(COLORREF c) : brush_(CreateSolidBrush(c)) {}
    ~SolidBrush() { DeleteObject(brush_); }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    HBRUSH get() const { return brush_; }

  private:
    HBRUSH brush_;
};

// ---------------------------------------------------------------- the window itself

class FrameComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND) override {}
    void Bind(HWND hwnd) { Attach(hwnd); }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0 && hwnd_) return PropertyValue::Text(WideToGbk(WindowTextOf(hwnd_)));
        return Component::GetTypeProperty(index, member);
    }
};

// ---------------------------------------------------------------- Tab

class TabComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        HWND hwnd = CreateWindowExW(
            WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
            def_->left, def_->top, def_->width, def_->height, parent, nullptr, g_instance, nullptr);
        Attach(hwnd);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        std::string titles = def_->text;
        int index = 0;
        for (size_t start = 0; start <= titles.size();) {
            size_t end = titles.find('\n', start);
            if (end == std::string::npos) end = titles.size();
            std::wstring title = GbkToWide(std::string_view(titles).substr(start, end - start));
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = title.data();
            SendMessageW(hwnd, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
            start = end + 1;
        }
        SendMessageW(hwnd, TCM_SETCURSEL, 0, 0);
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TabComponent::Proc)));
    }
    LRESULT OnNotify(NMHDR* header) override {
        if (header->code == TCN_SELCHANGE)
            window_.SelectPage(static_cast<int32_t>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<TabComponent*>(FromHwnd(hwnd));
        LRESULT result = 0;
        if (RouteToChild(msg, wp, lp, result)) return result;
        return CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
    }
    WNDPROC previous_ = nullptr;
};

// ---------------------------------------------------------------- EditBox

class EditBoxComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL;
        if (def_->align == Align::Centre) style |= ES_CENTER;
        if (def_->tabStop) style |= WS_TABSTOP;
        const std::wstring text = GbkToWide(def_->text);
        HWND hwnd =
            CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", text.c_str(), style, def_->left, def_->top,
                            def_->width, def_->height, parent, nullptr, g_instance, nullptr);
        Attach(hwnd);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        if (def_->maxLength > 0) SendMessageW(hwnd, EM_LIMITTEXT, def_->maxLength, 0);
        lastGood_ = text;
        previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditBoxComponent::Proc)));
    }

    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0) return PropertyValue::Text(WideToGbk(WindowTextOf(hwnd_)));
        return Component::GetTypeProperty(index, member);
    }

    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        if (index != 0) return Component::SetTypeProperty(index, member, value);
        const std::wstring text = GbkToWide(value.text);
        ++suppress_;
        SetWindowTextW(hwnd_, text.c_str());
        --suppress_;
        lastGood_ = text;
        Raise(EventKind::Changed);
    }

    void OnCommand(WORD code) override {
        if (code != EN_CHANGE || suppress_ > 0) return;
        const std::wstring text = WindowTextOf(hwnd_);
        if (!AcceptableChange(lastGood_, text)) {
            // Input that bypassed the typing filter (an input method, a drop): undo it.
            DWORD start = 0;
            SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
            ++suppress_;
            SetWindowTextW(hwnd_, lastGood_.c_str());
            --suppress_;
            const auto caret = std::min<DWORD>(start, static_cast<DWORD>(lastGood_.size()));
            SendMessageW(hwnd_, EM_SETSEL, caret, caret);
            MessageBeep(MB_OK);
            return;
        }
        lastGood_ = text;
        Raise(EventKind::Changed);
    }

    HBRUSH OnCtlColor(HDC dc) override {
        static SolidBrush white(RGB(255, 255, 255));
        SetTextColor(dc, OrBlack(def_->textColour));
        SetBkColor(dc, RGB(255, 255, 255));
        return white.get();
    }

  private:
    bool NameBox() const { return !def_->integerInput && def_->maxLength > 0; }

    bool Acceptable(const std::wstring& text) const {
        if (def_->integerInput) {
            if (def_->maxLength > 0 && text.size() > static_cast<size_t>(def_->maxLength))
                return false;
            return std::all_of(text.begin(), text.end(), [](wchar_t c) {
                return RateBoxAcceptsChar(static_cast<char32_t>(c)) && c >= 32;
            });
        }
        if (!NameBox()) return true;
        bool lossy = false;
        const std::string gbk = WideToGbk(text, &lossy);
        return !lossy && FitsByteLimit(gbk, def_->maxLength);
    }

    bool AcceptableChar(wchar_t c) const {
        if (c < 32 || (c >= 0xD800 && c <= 0xDFFF))
            return false;  // GBK has nothing outside the BMP
        if (def_->integerInput) return RateBoxAcceptsChar(static_cast<char32_t>(c));
        return FitsGbk(std::wstring_view(&c, 1));
    }

    size_t Length(const std::wstring& text) const {
        return def_->integerInput ? text.size() : WideToGbk(text).size();
    }

    // A change is taken when the result obeys the box's rules, or when it only takes away or
    // swaps in acceptable characters without growing: a text the program put in the box beyond
    // the typing limit can still be shortened by hand.
    bool AcceptableChange(const std::wstring& from, const std::wstring& to) const {
        if (Acceptable(to)) return true;
        size_t prefix = 0;
        while (prefix < from.size() && prefix < to.size() && from[prefix] == to[prefix]) ++prefix;
        size_t suffix = 0;
        while (suffix < from.size() - prefix && suffix < to.size() - prefix &&
               from[from.size() - 1 - suffix] == to[to.size() - 1 - suffix])
            ++suffix;
        const std::wstring_view inserted(to.data() + prefix, to.size() - prefix - suffix);
        return std::all_of(inserted.begin(), inserted.end(),
                           [this](wchar_t c) { return AcceptableChar(c); }) &&
               Length(to) < Length(from);
    }

    // The text the box would hold with `insert` replacing the selection.
    std::wstring WithSelectionReplaced(const std::wstring& insert) const {
        std::wstring text = WindowTextOf(hwnd_);
        DWORD start = 0, end = 0;
        SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
        end = std::clamp<DWORD>(end, start, static_cast<DWORD>(text.size()));
        return text.substr(0, start) + insert + text.substr(end);
    }

    bool OnChar(wchar_t c) {
        if (c < 32) return c != L'\r' && c != L'\n';  // Enter neither beeps nor moves on
        if (def_->integerInput) return RateBoxAcceptsChar(static_cast<char32_t>(c));
        if (!NameBox()) return true;
        if (AcceptableChange(WindowTextOf(hwnd_), WithSelectionReplaced(std::wstring(1, c))))
            return true;
        MessageBeep(MB_OK);
        return false;
    }

    void OnPaste() {
        if (!OpenClipboard(hwnd_)) return;
        std::wstring clip;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
                clip = p;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        clip = clip.substr(0, clip.find_first_of(L"\r\n"));
        // The longest run of acceptable characters that still fits.
        std::wstring piece;
        for (wchar_t c : clip) {
            if (c < 32 || (def_->integerInput && !RateBoxAcceptsChar(static_cast<char32_t>(c))))
                break;
            if (!Acceptable(WithSelectionReplaced(piece + c))) break;
            piece += c;
        }
        if (!piece.empty())
            SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(piece.c_str()));
    }

    void NormaliseOnFocusLoss() {
        const std::wstring text = WindowTextOf(hwnd_);
        const std::wstring normal = GbkToWide(NormaliseRateText(WideToGbk(text)));
        if (normal == text) return;
        DWORD start = 0;
        SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        // The program's own rewrite: not judged by the typing rules (a ten-digit number from the
        // file becomes ten other digits), but a change of content like any other.
        ++suppress_;
        SetWindowTextW(hwnd_, normal.c_str());
        --suppress_;
        lastGood_ = normal;
        SendMessageW(hwnd_, EM_SETSEL, start, start);
        SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
        Raise(EventKind::Changed);
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<EditBoxComponent*>(FromHwnd(hwnd));
        switch (msg) {
            case WM_CHAR:
                if (!self->OnChar(static_cast<wchar_t>(wp))) return 0;
                break;
            case WM_PASTE:
                self->OnPaste();
                return 0;
            case WM_KILLFOCUS: {
                const LRESULT r = CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
                if (self->def_->integerInput) self->NormaliseOnFocusLoss();
                return r;
            }
            default:
                break;
        }
        return CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
    }

    WNDPROC previous_ = nullptr;
    int suppress_ = 0;
    std::wstring lastGood_;
};

// ---------------------------------------------------------------- Label

class LabelComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        caption_ = def_->text;
        textColour_ = OrBlack(def_->textColour);
        HWND hwnd =
            CreateWindowExW(0, kLabelClass, L"", WS_CHILD | WS_CLIPSIBLINGS, def_->left, def_->top,
                            def_->width, def_->height, parent, nullptr, g_instance, nullptr);
        Attach(hwnd);
    }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0) return PropertyValue::Text(caption_);
        if (index == 8) return PropertyValue::Number(static_cast<int32_t>(textColour_));
        return Component::GetTypeProperty(index, member);
    }
    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        if (index == 0) {
            caption_ = std::string(TextView(value.text));
        } else if (index == 8) {
            textColour_ = static_cast<COLORREF>(value.number) & 0xFFFFFFu;
        } else {
            return Component::SetTypeProperty(index, member, value);
        }
        InvalidateRect(hwnd_, nullptr, TRUE);
        UpdateWindow(hwnd_);
    }
    void Paint(HDC dc) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        if (def_->backColour == kNoColour) {
            FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        } else {
            SolidBrush back(def_->backColour);
            FillRect(dc, &rc, back.get());
        }
        const std::wstring text = GbkToWide(caption_);
        if (text.empty()) return;
        HGDIOBJ old = SelectObject(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, textColour_);
        UINT flags = DT_NOPREFIX | (def_->align == Align::Centre ? DT_CENTER : DT_LEFT);
        if (def_->vcentre) flags |= DT_SINGLELINE | DT_VCENTER;
        if (def_->wrap) flags |= DT_WORDBREAK;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
        SelectObject(dc, old);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<LabelComponent*>(FromHwnd(hwnd));
        if (self != nullptr) {
            switch (msg) {
                case WM_PAINT:
                case WM_ERASEBKGND:
                    return PaintMessage(hwnd, msg,
                                        [self](HDC dc, const RECT&) { self->Paint(dc); });
                case kHotKeyNotifyMessage:
                    return self->Raise(EventKind::Feedback,
                                       {static_cast<int32_t>(wp), static_cast<int32_t>(lp)});
                default:
                    break;
            }
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

  private:
    std::string caption_;
    COLORREF textColour_ = 0;
};

// ---------------------------------------------------------------- Button

class ButtonComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
        if (def_->tabStop) style |= WS_TABSTOP;
        const std::wstring text = GbkToWide(def_->text);
        HWND hwnd =
            CreateWindowExW(0, L"BUTTON", text.c_str(), style, def_->left, def_->top, def_->width,
                            def_->height, parent, nullptr, g_instance, nullptr);
        Attach(hwnd);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    }
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) Raise(EventKind::Clicked);
    }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0) return PropertyValue::Text(WideToGbk(WindowTextOf(hwnd_)));
        return Component::GetTypeProperty(index, member);
    }
    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        if (index == 0) {
            SetWindowTextW(hwnd_, GbkToWide(value.text).c_str());
            return;
        }
        Component::SetTypeProperty(index, member, value);
    }
};

// ---------------------------------------------------------------- TransLabel

// Shows what lies beneath it (the canvas it sits on) and its caption; takes mouse presses.
class TransLabelComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        caption_ = def_->text;
        HWND hwnd = CreateWindowExW(0, kTransLabelClass, L"", WS_CHILD | WS_CLIPSIBLINGS,
                                    def_->left, def_->top, def_->width, def_->height, parent,
                                    nullptr, g_instance, nullptr);
        Attach(hwnd);
    }
    void Paint(HDC dc) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        RECT mine;
        GetWindowRect(hwnd_, &mine);
        bool painted = false;
        for (const auto& c : window_.components()) {
            if (c->type() != ControlType::CartoonBox || c->hwnd() == nullptr ||
                GetParent(c->hwnd()) != GetParent(hwnd_) || !IsWindowVisible(c->hwnd()))
                continue;
            RECT box;
            GetWindowRect(c->hwnd(), &box);
            RECT overlap;
            if (!IntersectRect(&overlap, &box, &mine)) continue;
            const RECT source{mine.left - box.left, mine.top - box.top, mine.right - box.left,
                              mine.bottom - box.top};
            static_cast<CanvasBox*>(c.get())->PaintTo(dc, source, 0, 0);
            painted = true;
            break;
        }
        if (!painted) FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        const std::wstring text = GbkToWide(caption_);
        if (!text.empty()) {
            HGDIOBJ old = SelectObject(dc, Font());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, OrBlack(def_->textColour));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
                      DT_NOPREFIX | DT_CENTER | DT_SINGLELINE | DT_VCENTER);
            SelectObject(dc, old);
        }
    }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0) return PropertyValue::Text(caption_);
        return Component::GetTypeProperty(index, member);
    }
    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        if (index != 0) return Component::SetTypeProperty(index, member, value);
        caption_ = std::string(TextView(value.text));
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<TransLabelComponent*>(FromHwnd(hwnd));
        if (self != nullptr) {
            switch (msg) {
                case WM_PAINT:
                case WM_ERASEBKGND:
                    return PaintMessage(hwnd, msg,
                                        [self](HDC dc, const RECT&) { self->Paint(dc); });
                case WM_LBUTTONDOWN:
                    self->Raise(EventKind::MouseDown,
                                {GET_X_LPARAM_(lp), GET_Y_LPARAM_(lp), ModifierKeys(wp)});
                    return 0;
                case WM_LBUTTONUP:
                    self->Raise(EventKind::MouseUp,
                                {GET_X_LPARAM_(lp), GET_Y_LPARAM_(lp), ModifierKeys(wp)});
                    return 0;
                default:
                    break;
            }
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

  private:
    static int32_t GET_X_LPARAM_(LPARAM lp) { return static_cast<int16_t>(LOWORD(lp)); }
    static int32_t GET_Y_LPARAM_(LPARAM lp) { return static_cast<int16_t>(HIWORD(lp)); }
    std::string caption_;
};

// ---------------------------------------------------------------- CartoonObject

class TemplateComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        tmpl_.picture = AssetImage(def_->picture);
        tmpl_.text = def_->text;
        tmpl_.rotateFollow = def_->rotateFollow;
        tmpl_.textColour = OrBlack(def_->textColour);
        // A template is never shown, whatever its stored rectangle says.
        HWND hwnd =
            CreateWindowExW(0, kTemplateClass, L"", WS_CHILD | WS_DISABLED, def_->left, def_->top,
                            def_->width, def_->height, parent, nullptr, g_instance, nullptr);
        Attach(hwnd);
    }
    const SpriteTemplate& Template() const { return tmpl_; }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        switch (index) {
            case 0:
                return PropertyValue::Text(tmpl_.text);
            case 1:
                return ReadFont(member);
            case 2:
                return PropertyValue::Number(static_cast<int32_t>(tmpl_.textColour));
            default:
                return Component::GetTypeProperty(index, member);
        }
    }
    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        switch (index) {
            case 0:
                tmpl_.text = std::string(TextView(value.text));
                break;
            case 1:
                tmpl_.font = member < 0 ? WriteFontRecord(value.font, ScreenDpiY())
                                        : WriteFontMember(tmpl_.font, DefaultGuiFont(), member,
                                                          value, ScreenDpiY());
                break;
            case 2:
                tmpl_.textColour = static_cast<uint32_t>(value.number) & 0xFFFFFFu;
                break;
            default:
                Component::SetTypeProperty(index, member, value);
        }
    }

  private:
    PropertyValue ReadFont(int32_t member) const {
        const FontSpec font = tmpl_.font.set ? tmpl_.font : DefaultGuiFont();
        const FontRecord record = ReadFontRecord(font, ScreenDpiY());
        PropertyValue v;
        switch (member) {
            case -1:
                v.font = record;
                break;
            case 0:
                v.number = record.angle;
                break;
            case 1:
                v.number = record.bold;
                break;
            case 2:
                v.number = record.italic;
                break;
            case 3:
                v.number = record.strikeOut;
                break;
            case 4:
                v.number = record.underline;
                break;
            case 5:
                v.number = record.size;
                break;
            default:
                v.text = record.face;
                break;
        }
        return v;
    }
    SpriteTemplate tmpl_;
};

std::unique_ptr<Component> MakeComponent(LoadedWindow& window, const ControlDef& def) {
    switch (def.type) {
        case ControlType::Tab:
            return std::make_unique<TabComponent>(window, &def);
        case ControlType::EditBox:
            return std::make_unique<EditBoxComponent>(window, &def);
        case ControlType::Label:
            return std::make_unique<LabelComponent>(window, &def);
        case ControlType::Button:
            return std::make_unique<ButtonComponent>(window, &def);
        case ControlType::TransLabel:
            return std::make_unique<TransLabelComponent>(window, &def);
        case ControlType::CartoonBox:
            return std::make_unique<CanvasBox>(window, &def);
        case ControlType::CartoonObject:
            return std::make_unique<TemplateComponent>(window, &def);
        case ControlType::Window:
            break;
    }
    return nullptr;
}

// ---------------------------------------------------------------- frame procedure

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* window = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (RouteToChild(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND:
            if (window != nullptr && window->def().backColour != kNoColour) {
                RECT rc;
                GetClientRect(hwnd, &rc);
                SolidBrush back(window->def().backColour);
                FillRect(reinterpret_cast<HDC>(wp), &rc, back.get());
                return 1;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            if (window != nullptr) {
                window->MarkClosing();
                if (Component* self = window->Find(window->def().selfId))
                    self->Raise(EventKind::Destroying);
            }
            return 0;
        case WM_NCDESTROY:
            if (window != nullptr) {
                const int32_t id = static_cast<int32_t>(window->id());
                window->Detach();
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                g_windows.erase(id);
                if (g_windows.empty()) PostQuitMessage(0);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool OwnWindow(HWND top) {
    for (const auto& [id, w] : g_windows)
        if (w->hwnd() == top) return true;
    return false;
}

// Esc closes the program's window that has the focus; Tab moves between tab stops; F1 does
// nothing; Enter does not move the focus.
bool PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    if (top == nullptr || !OwnWindow(top)) return false;
    if (msg.message == WM_KEYDOWN) {
        switch (msg.wParam) {
            case VK_ESCAPE:
                PostMessageW(top, WM_CLOSE, 0, 0);
                return true;
            case VK_F1:
                return true;
            case VK_TAB: {
                const bool back = GetKeyState(VK_SHIFT) < 0;
                if (HWND next = GetNextDlgTabItem(top, GetFocus(), back)) SetFocus(next);
                return true;
            }
            default:
                return false;
        }
    }
    return msg.wParam == VK_TAB || msg.wParam == VK_ESCAPE;
}

}  // namespace

// ---------------------------------------------------------------- Component

Component::Component(LoadedWindow& window, const ControlDef* def) : window_(window), def_(def) {
    if (def != nullptr) {
        common_.left = def->left;
        common_.top = def->top;
        common_.width = def->width;
        common_.height = def->height;
        common_.visible = def->visible;
    }
}

Component::~Component() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) RemovePropW(hwnd_, kComponentProp);
}

ControlType Component::type() const {
    return def_ ? def_->type : ControlType::Window;
}
int32_t Component::id() const {
    return def_ ? def_->id : window_.def().selfId;
}

void Component::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    if (hwnd != nullptr) SetPropW(hwnd, kComponentProp, this);
}

Component* Component::FromHwnd(HWND hwnd) {
    return hwnd ? static_cast<Component*>(GetPropW(hwnd, kComponentProp)) : nullptr;
}

HFONT Component::Font() const {
    if (def_ == nullptr || def_->font.IsDefaultGui())
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return window_.FontFor(def_->font);
}

bool Component::ShouldShow() const {
    if (!common_.visible) return false;
    if (def_ != nullptr && def_->page >= 0 && def_->page != window_.currentPage()) return false;
    return true;
}

void Component::ApplyVisibility() {
    if (hwnd_ != nullptr && def_ != nullptr) ShowWindow(hwnd_, ShouldShow() ? SW_SHOWNA : SW_HIDE);
}

PropertyValue Component::GetTypeProperty(int32_t index, int32_t) {
    // Properties the program never uses keep what was last written to them.
    auto it = extra_.find(index);
    return it != extra_.end() ? it->second : PropertyValue{};
}

void Component::SetTypeProperty(int32_t index, int32_t, const PropertyValue& value) {
    extra_[index] = value;
}

int32_t Component::Raise(EventKind event, EventArgs args) {
    const WindowId w = window_.id();
    const int32_t c = id();
    for (const Binding& b : g_bindings)
        if (b.window == w && b.component == c && b.event == event) return b.handler(args);
    return 0;
}

// ---------------------------------------------------------------- CanvasBox

void CanvasBox::Create(HWND parent) {
    const int w = std::max(1, def_->width), h = std::max(1, def_->height);
    canvas_ = std::make_unique<Canvas>(w, h, &RenderTextImage);
    const uint32_t backColour =
        def_->backColour == kNoColour ? RGB(255, 255, 255) : def_->backColour;
    background_ = Image(w, h, PixelFromColorRef(backColour));
    const Image& scaled = ScaledAssetImage(def_->picture, w, h);
    if (!scaled.IsEmpty()) Compose(background_, scaled, 0, 0, Rect{0, 0, w, h});
    back_ = background_;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (def_->tabStop) style |= WS_TABSTOP;
    HWND hwnd = CreateWindowExW(0, kCanvasClass, L"", style, def_->left, def_->top, w, h, parent,
                                nullptr, g_instance, nullptr);
    Attach(hwnd);
}

int CanvasBox::AddSprite(const SpriteTemplate& tmpl, double left, double top, bool visible) {
    const int id = canvas_->AddSprite(tmpl, left, top, visible);
    Flush();
    return id;
}

void CanvasBox::RemoveSprites(std::initializer_list<int> ids) {
    canvas_->RemoveSprites(ids);
    Flush();
}

void CanvasBox::SetSpriteAngle(int id, int angle) {
    canvas_->SetSpriteAngle(id, angle);
    Flush();
}

void CanvasBox::RotateSprite(int id, int delta) {
    canvas_->RotateSprite(id, delta);
    Flush();
}

void CanvasBox::Flush() {
    const Rect dirty = canvas_->TakeDirty();
    if (dirty.IsEmpty()) return;
    canvas_->Render(back_, background_, dirty);
    if (hwnd_ == nullptr) return;
    const RECT rc{dirty.left, dirty.top, dirty.right, dirty.bottom};
    // The paint follows with the next look at the message queue; during a spin that is the
    // first thing its wait does, so drawing overlaps the wait instead of adding to it.
    InvalidateRect(hwnd_, &rc, FALSE);
    // Whatever shows the canvas through itself must show the change too.
    RECT screen = rc;
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    for (const auto& c : window_.components()) {
        if (c->type() != ControlType::TransLabel || c->hwnd() == nullptr) continue;
        RECT other, overlap;
        GetWindowRect(c->hwnd(), &other);
        if (!IntersectRect(&overlap, &other, &screen)) continue;
        MapWindowPoints(nullptr, c->hwnd(), reinterpret_cast<POINT*>(&overlap), 2);
        InvalidateRect(c->hwnd(), &overlap, FALSE);
    }
}

void CanvasBox::PaintTo(HDC dc, const RECT& client, int dx, int dy) const {
    RECT r = client;
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, back_.width);
    r.bottom = std::min<LONG>(r.bottom, back_.height);
    if (r.right <= r.left || r.bottom <= r.top) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = back_.width;
    bi.bmiHeader.biHeight = -back_.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    // With a top-down DIB the start scan and line count address rows from the top.
    SetDIBitsToDevice(dc, dx + (r.left - client.left), dy + (r.top - client.top), r.right - r.left,
                      r.bottom - r.top, r.left, back_.height - r.bottom, 0, back_.height,
                      back_.pixels.data(), &bi, DIB_RGB_COLORS);
}

LRESULT CALLBACK CanvasBox::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<CanvasBox*>(FromHwnd(hwnd));
    if (self != nullptr) {
        switch (msg) {
            case WM_PAINT:
            case WM_ERASEBKGND:
                return PaintMessage(hwnd, msg, [self](HDC dc, const RECT& area) {
                    self->PaintTo(dc, area, area.left, area.top);
                });
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------- LoadedWindow

LoadedWindow::LoadedWindow(const WindowDef& def) : def_(def) {}

LoadedWindow::~LoadedWindow() {
    components_.clear();
    for (auto& [font, handle] : fonts_) DeleteObject(handle);
}

Component* LoadedWindow::Find(int32_t componentId) const {
    for (const auto& c : components_)
        if (c->id() == componentId) return c.get();
    return nullptr;
}

HFONT LoadedWindow::FontFor(const FontDef& font) {
    for (auto& [f, handle] : fonts_)
        if (f.height == font.height && f.weight == font.weight &&
            std::string_view(f.face) == font.face)
            return handle;
    FontSpec spec;
    spec.set = true;
    spec.height = -font.height;
    spec.weight = font.weight;
    // A font that names no face takes the face of the default GUI font, which every locale's
    // system links to its Chinese fallback.
    spec.face = *font.face != '\0' ? std::string(font.face) : DefaultGuiFont().face;
    HFONT handle = CreateFontFor(spec);
    fonts_.emplace_back(font, handle);
    return handle;
}

void LoadedWindow::SelectPage(int32_t page) {
    currentPage_ = page;
    for (const auto& c : components_)
        if (c->def() != nullptr && c->def()->page >= 0) c->ApplyVisibility();
}

bool LoadedWindow::Build() {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - def_.width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - def_.height) / 2;
    const std::wstring caption = GbkToWide(def_.caption);
    hwnd_ =
        CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kFrameClass, caption.c_str(), style,
                        x, y, def_.width, def_.height, nullptr, nullptr, g_instance, this);
    if (hwnd_ == nullptr) return false;
    auto self = std::make_unique<FrameComponent>(*this, nullptr);
    self->Bind(hwnd_);
    self->common() = {};
    components_.push_back(std::move(self));
    if (def_.ownIcon) {
        HICON big = LoadIconW(g_instance, L"DEFAULT_ICON");
        auto small = static_cast<HICON>(LoadImageW(g_instance, L"DEFAULT_ICON", IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    for (const ControlDef& def : def_.controls) {
        std::unique_ptr<Component> c = MakeComponent(*this, def);
        if (c == nullptr) continue;
        Component* parent = Find(def.parent);
        c->Create(parent != nullptr && parent->hwnd() != nullptr ? parent->hwnd() : hwnd_);
        components_.push_back(std::move(c));
    }
    // Canvases lie beneath every other control of their parent; the rest keep the table order,
    // which is also the order of the tab stops.
    for (const auto& c : components_) {
        if (c->type() == ControlType::CartoonBox && c->hwnd() != nullptr)
            SetWindowPos(c->hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (const auto& c : components_)
        if (c->def() != nullptr && c->type() != ControlType::CartoonObject) c->ApplyVisibility();
    return true;
}

// ---------------------------------------------------------------- operations

void SetBindings(std::span<const Binding> bindings) {
    g_bindings = bindings;
}

LoadedWindow* FindLoadedWindow(int32_t windowId) {
    auto it = g_windows.find(windowId);
    return it != g_windows.end() ? it->second.get() : nullptr;
}

size_t LoadedWindowCount() {
    return g_windows.size();
}

bool LoadWindow(int32_t windowId, HWND parent, bool modal) {
    if (LoadedWindow* open = FindLoadedWindow(windowId);
        open != nullptr && IsWindow(open->hwnd())) {
        if (IsIconic(open->hwnd()))
            ShowWindow(open->hwnd(), SW_RESTORE);
        else
            SetForegroundWindow(open->hwnd());
        SetActiveWindow(open->hwnd());
        return true;
    }
    const WindowDef* def = FindWindowDef(windowId);
    if (def == nullptr) return false;
    auto window = std::make_unique<LoadedWindow>(*def);
    LoadedWindow* w = window.get();
    g_windows[windowId] = std::move(window);
    if (!w->Build()) {
        g_windows.erase(windowId);
        return false;
    }
    if (parent != nullptr && !modal)
        SetWindowLongPtrW(w->hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(parent));
    HWND hwnd = w->hwnd();
    w->Find(def->selfId)->Raise(EventKind::Created);
    if (!IsWindow(hwnd)) return true;  // the created handler closed it
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    if (modal) {
        std::vector<HWND> disabled;
        for (const auto& [id, other] : g_windows) {
            if (other->hwnd() != hwnd && IsWindowEnabled(other->hwnd())) {
                EnableWindow(other->hwnd(), FALSE);
                disabled.push_back(other->hwnd());
            }
        }
        MSG msg;
        while (IsWindow(hwnd) && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageOf(msg);
        for (HWND h : disabled)
            if (IsWindow(h)) EnableWindow(h, TRUE);
    }
    return true;
}

HWND GetWindowHandle(int32_t windowId, int32_t componentId) {
    LoadedWindow* w = FindLoadedWindow(windowId);
    Component* c = w != nullptr ? w->Find(componentId) : nullptr;
    if (c == nullptr || c->hwnd() == nullptr || !IsWindow(c->hwnd()))
        ReportRuntimeError(kNoSuchComponent);
    return c->hwnd();
}

namespace {

Component& ComponentFor(int32_t windowId, int32_t componentId) {
    LoadedWindow* w = FindLoadedWindow(windowId);
    if (w == nullptr || w->hwnd() == nullptr) ReportRuntimeError(kNotLoaded);
    Component* c = w->Find(componentId);
    if (c == nullptr) ReportRuntimeError(kNoSuchComponent);
    return *c;
}

bool Live(const Component& c) {
    return c.hwnd() != nullptr && IsWindow(c.hwnd());
}

RECT OuterRectInParent(const Component& c) {
    RECT r;
    GetWindowRect(c.hwnd(), &r);
    if (HWND parent = GetParent(c.hwnd());
        parent != nullptr && (GetWindowLongW(c.hwnd(), GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

PropertyValue ReadProperty(int32_t windowId, int32_t componentId, int32_t propertyIndex,
                           int32_t memberIndex) {
    Component& c = ComponentFor(windowId, componentId);
    if (propertyIndex < 0 || propertyIndex >= PropertyTableSize(c.type())) return {};
    const Component::Common& common = c.common();
    const bool live = Live(c);
    switch (propertyIndex) {
        case 0:
            return PropertyValue::Number(live ? OuterRectInParent(c).left : common.left);
        case 1:
            return PropertyValue::Number(live ? OuterRectInParent(c).top : common.top);
        case 2: {
            const RECT r = live ? OuterRectInParent(c) : RECT{};
            return PropertyValue::Number(live ? r.right - r.left : common.width);
        }
        case 3: {
            const RECT r = live ? OuterRectInParent(c) : RECT{};
            return PropertyValue::Number(live ? r.bottom - r.top : common.height);
        }
        case 4:
            return PropertyValue::Text(common.tag);
        case 5:
            return PropertyValue::Number(live && c.type() != ControlType::CartoonObject
                                             ? IsWindowVisible(c.hwnd()) != FALSE
                                             : common.visible);
        case 6:
            return PropertyValue::Number(live ? IsWindowEnabled(c.hwnd()) == FALSE
                                              : common.disabled);
        case 7: {
            PropertyValue v;
            v.bytes = common.cursor;
            return v;
        }
        default:
            break;
    }
    if (!live) ReportRuntimeError(kNoNativeWindow);
    return c.GetTypeProperty(propertyIndex - 8, memberIndex);
}

void WriteProperty(int32_t windowId, int32_t componentId, int32_t propertyIndex,
                   int32_t memberIndex, const PropertyValue& value) {
    Component& c = ComponentFor(windowId, componentId);
    if (propertyIndex < 0 || propertyIndex >= PropertyTableSize(c.type())) return;
    Component::Common& common = c.common();
    const bool live = Live(c);
    const PropertyValue v = ConvertForWrite(PropertyKindOf(c.type(), propertyIndex), value);
    switch (propertyIndex) {
        case 0:
        case 1: {
            (propertyIndex == 0 ? common.left : common.top) = ClampPosition(value.number);
            if (live) {
                const RECT r = OuterRectInParent(c);
                const int x = propertyIndex == 0 ? common.left : r.left;
                const int y = propertyIndex == 1 ? common.top : r.top;
                SetWindowPos(c.hwnd(), nullptr, x, y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return;
        }
        case 2:
        case 3: {
            (propertyIndex == 2 ? common.width : common.height) = ClampSize(value.number);
            if (live) {
                const RECT r = OuterRectInParent(c);
                const int w = propertyIndex == 2 ? common.width : r.right - r.left;
                const int h = propertyIndex == 3 ? common.height : r.bottom - r.top;
                SetWindowPos(c.hwnd(), nullptr, 0, 0, w, h,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return;
        }
        case 4:
            common.tag = std::string(TextView(v.text));
            return;
        case 5:
            common.visible = v.number != 0;
            if (live && c.type() != ControlType::CartoonObject) {
                if (c.def() == nullptr)
                    ShowWindow(c.hwnd(), common.visible ? SW_SHOW : SW_HIDE);
                else
                    c.ApplyVisibility();
            }
            return;
        case 6:
            common.disabled = v.number != 0;
            if (live) EnableWindow(c.hwnd(), !common.disabled);
            return;
        case 7:
            common.cursor = v.bytes;
            return;
        default:
            break;
    }
    if (!live) ReportRuntimeError(kNoNativeWindow);
    c.SetTypeProperty(propertyIndex - 8, memberIndex, v);
}

CanvasBox* FindCanvas(WindowId w, int32_t componentId) {
    LoadedWindow* window = FindLoadedWindow(w);
    Component* c = window != nullptr ? window->Find(componentId) : nullptr;
    return c != nullptr && c->type() == ControlType::CartoonBox ? static_cast<CanvasBox*>(c)
                                                                : nullptr;
}

const SpriteTemplate* FindTemplate(WindowId w, int32_t componentId) {
    LoadedWindow* window = FindLoadedWindow(w);
    Component* c = window != nullptr ? window->Find(componentId) : nullptr;
    return c != nullptr && c->type() == ControlType::CartoonObject
               ? &static_cast<TemplateComponent*>(c)->Template()
               : nullptr;
}

void InitWindowSystem(HINSTANCE instance) {
    if (g_instance != nullptr) return;
    g_instance = instance;
    HICON icon = LoadIconW(instance, L"DEFAULT_ICON");
    struct ClassDef {
        const wchar_t* name;
        WNDPROC proc;
        HCURSOR cursor;
    } classes[] = {
        {kFrameClass, &FrameProc, LoadCursorW(nullptr, IDC_ARROW)},
        {kLabelClass, &LabelComponent::Proc, LoadCursorW(nullptr, IDC_ARROW)},
        {kTransLabelClass, &TransLabelComponent::Proc, LoadCursorW(nullptr, IDC_HAND)},
        {kCanvasClass, &CanvasBox::Proc, LoadCursorW(nullptr, IDC_ARROW)},
        {kTemplateClass, &DefWindowProcW, LoadCursorW(nullptr, IDC_ARROW)},
    };
    for (const ClassDef& d : classes) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = d.proc;
        wc.hInstance = instance;
        wc.hCursor = d.cursor;
        wc.hIcon = icon;
        wc.hbrBackground = d.proc == &FrameProc ? GetSysColorBrush(COLOR_BTNFACE) : nullptr;
        wc.lpszClassName = d.name;
        RegisterClassExW(&wc);
    }
    SetPreTranslate(&PreTranslate);
}

}  // namespace kelvra
