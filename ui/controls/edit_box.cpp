// EditBox: the platform's edit control, held to the box's typing rules, raising its change
// event once for every change of content.
#include "ui/controls/edit_box.h"

#include <algorithm>

#include "runtime/encoding.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

int GbkWidth(char16_t c) {
    const wchar_t w = static_cast<wchar_t>(c);
    const std::wstring_view one(&w, 1);
    if (c >= 0xD800 && c <= 0xDFFF) return 0;
    return FitsGbk(one) ? static_cast<int>(WideToGbk(one).size()) : 0;
}

std::u16string U16(std::wstring_view w) {
    return {w.begin(), w.end()};
}

std::wstring Wide(std::u16string_view u) {
    return {u.begin(), u.end()};
}

}  // namespace

void EditBoxComponent::CreateNative(HWND parent) {
    rules_ = {def_->integerInput, def_->maxLength, &GbkWidth};
    DWORD style = ES_AUTOHSCROLL;
    if (def_->align == Align::Centre) style |= ES_CENTER;
    if (def_->tabStop) style |= WS_TABSTOP;
    if (!written_) lastGood_ = GbkToWide(def_->text);
    CreateChild(parent, L"EDIT", lastGood_, style, WS_EX_CLIENTEDGE);
    SetNativeFont();
    if (def_->maxLength > 0) SendMessageW(hwnd_, EM_LIMITTEXT, def_->maxLength, 0);
    previous_ = Subclass(&Proc);
}

std::string EditBoxComponent::Content() const {
    if (hwnd_ == nullptr) return written_ ? WideToGbk(lastGood_) : def_->text;
    return WideToGbk(WindowTextOf(hwnd_));
}

void EditBoxComponent::SetContent(std::string_view text) {
    if (hwnd_ == nullptr) {
        lastGood_ = GbkToWide(text);
        written_ = true;
    } else {
        Replace(GbkToWide(text));
    }
    Raise(EventKind::Changed);
}

PropertyValue EditBoxComponent::ReadTypeProperty(int32_t number, int32_t member) {
    if (number == EditBoxProperty::Content) return PropertyValue::Text(Content());
    return Component::ReadTypeProperty(number, member);
}

void EditBoxComponent::WriteTypeProperty(int32_t number, int32_t member,
                                         const PropertyValue& value) {
    if (number == EditBoxProperty::Content) return SetContent(value.text);
    Component::WriteTypeProperty(number, member, value);
}

void EditBoxComponent::OnCommand(WORD code) {
    if (code != EN_CHANGE || suppress_ > 0) return;
    const std::wstring text = WindowTextOf(hwnd_);
    if (!AcceptsChange(rules_, U16(lastGood_), U16(text))) {
        // Input that bypassed the typing filter (an input method, a drop): undo it.
        const DWORD start = Selection().first;
        Replace(lastGood_);
        const auto caret = std::min<DWORD>(start, static_cast<DWORD>(lastGood_.size()));
        SendMessageW(hwnd_, EM_SETSEL, caret, caret);
        MessageBeep(MB_OK);
        return;
    }
    lastGood_ = text;
    Raise(EventKind::Changed);
}

HBRUSH EditBoxComponent::OnCtlColor(HDC dc) {
    static SolidBrush white(RGB(255, 255, 255));
    SetTextColor(dc, OrBlack(def_->textColour));
    SetBkColor(dc, RGB(255, 255, 255));
    return white.get();
}

void EditBoxComponent::Replace(const std::wstring& text) {
    ++suppress_;
    SetWindowTextW(hwnd_, text.c_str());
    --suppress_;
    lastGood_ = text;
}

std::pair<DWORD, DWORD> EditBoxComponent::Selection() const {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

bool EditBoxComponent::OnChar(wchar_t c) {
    if (c < 32) return c != L'\r' && c != L'\n';  // Enter neither beeps nor moves on
    if (rules_.integerInput) return AcceptsChar(rules_, static_cast<char16_t>(c));
    if (rules_.maxLength <= 0) return true;
    std::wstring text = WindowTextOf(hwnd_);
    const auto [start, end] = Selection();
    const size_t from = std::min<size_t>(start, text.size());
    const size_t to = std::clamp<size_t>(end, from, text.size());
    const std::wstring typed = text.substr(0, from) + c + text.substr(to);
    if (AcceptsChange(rules_, U16(text), U16(typed))) return true;
    MessageBeep(MB_OK);
    return false;
}

void EditBoxComponent::OnPaste() {
    if (!OpenClipboard(hwnd_)) return;
    std::wstring clip;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            clip = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    const auto [start, end] = Selection();
    const std::wstring piece =
        Wide(PastedPiece(rules_, U16(WindowTextOf(hwnd_)), start, end, U16(clip)));
    if (!piece.empty())
        SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(piece.c_str()));
}

void EditBoxComponent::NormaliseOnFocusLoss() {
    const std::wstring text = WindowTextOf(hwnd_);
    const std::wstring normal = GbkToWide(NormaliseRateText(WideToGbk(text)));
    if (normal == text) return;
    const DWORD start = Selection().first;
    // The program's own rewrite (a ten-digit number from the file becomes ten other
    // digits), but a change of content like any other.
    Replace(normal);
    SendMessageW(hwnd_, EM_SETSEL, start, start);
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
    Raise(EventKind::Changed);
}

LRESULT CALLBACK EditBoxComponent::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<EditBoxComponent*>(FromHwnd(hwnd));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_CHAR:
            if (!self->OnChar(static_cast<wchar_t>(wp))) return 0;
            break;
        case WM_PASTE:
            self->OnPaste();
            return 0;
        case WM_KILLFOCUS: {
            const LRESULT r = CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
            if (self->rules_.integerInput) self->NormaliseOnFocusLoss();
            return r;
        }
        default:
            break;
    }
    return CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
}

std::unique_ptr<Component> MakeEditBox(WindowHost& window, const ControlDef& def) {
    return std::make_unique<EditBoxComponent>(window, &def);
}

}  // namespace kelvra
