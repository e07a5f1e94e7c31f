#include <windows.h>
#include <commctrl.h>

#include "runtime/encoding.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

// The tab control; its titles are the layout text's lines. Its pages are the controls whose
// page number matches the current tab.
class TabComponent : public Component {
  public:
    using Component::Component;
    void CreateNative(HWND parent) override {
        CreateChild(parent, WC_TABCONTROLW, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
        SetNativeFont();
        const std::string_view titles = def_->text;
        int index = 0;
        for (size_t start = 0; start <= titles.size();) {
            size_t end = titles.find('\n', start);
            if (end == std::string_view::npos) end = titles.size();
            std::wstring title = GbkToWide(titles.substr(start, end - start));
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = title.data();
            SendMessageW(hwnd_, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
            start = end + 1;
        }
        SendMessageW(hwnd_, TCM_SETCURSEL, 0, 0);
        previous_ = Subclass(&Proc);
    }
    LRESULT OnNotify(NMHDR* header) override {
        if (header->code == TCN_SELCHANGE)
            window_.SelectPage(static_cast<int32_t>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }

  private:
    // The pages' controls are the tab control's children: it routes their notifications.
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<TabComponent*>(FromHwnd(hwnd));
        if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
        LRESULT result = 0;
        if (RouteToChild(msg, wp, lp, result)) return result;
        return CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
    }
    WNDPROC previous_ = nullptr;
};

}  // namespace

std::unique_ptr<Component> MakeTab(WindowHost& window, const ControlDef& def) {
    return std::make_unique<TabComponent>(window, &def);
}

}  // namespace kelvra
