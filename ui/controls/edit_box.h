#pragma once
// The class of the EditBox type (ui/controls/edit_box.cpp): the platform's edit control, held to
// the box's typing rules, raising its change event once for every change of content.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "ui/component.h"
#include "ui/model/edit_rules.h"

namespace kelvra {

class EditBoxComponent : public Component {
  public:
    static constexpr ControlType kType = ControlType::EditBox;
    using Component::Component;
    void CreateNative(HWND parent) override;
    // The content is kept until the box is made: a page's boxes are filled before it shows.
    std::string Content() const;
    // The program's own writes are not judged by the typing rules.
    void SetContent(std::string_view text);
    PropertyValue ReadTypeProperty(int32_t number, int32_t member) override;
    void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) override;
    void OnCommand(WORD code) override;
    HBRUSH OnCtlColor(HDC dc) override;

  private:
    // Sets the text without the platform's change notification.
    void Replace(const std::wstring& text);
    std::pair<DWORD, DWORD> Selection() const;
    bool OnChar(wchar_t c);
    void OnPaste();
    void NormaliseOnFocusLoss();
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    BoxRules rules_;
    WNDPROC previous_ = nullptr;
    int suppress_ = 0;
    std::wstring lastGood_;
    bool written_ = false;  // content written before the box was made
};

}  // namespace kelvra
