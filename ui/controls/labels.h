#pragma once
// The classes of the two label types, Label and TransLabel (ui/controls/labels.cpp): captions
// the program draws itself.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/component.h"

namespace kelvra {

// Label: a caption in its text colour on its background colour.
class LabelComponent : public Component {
  public:
    static constexpr ControlType kType = ControlType::Label;
    using Component::Component;
    void CreateNative(HWND parent) override;
    void SetCaption(std::string_view text);
    // A COLORREF; the caption is drawn in its red, green and blue.
    void SetTextColour(uint32_t colour);
    PropertyValue ReadTypeProperty(int32_t number, int32_t member) override;
    void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) override;
    void Paint(HDC dc);

  private:
    void Repaint();
    std::string caption_;
    uint32_t textColour_ = 0;
};

// TransLabel: shows the canvas beneath it and its caption; takes mouse presses (the hub's
// start control is one).
class TransLabelComponent : public Component {
  public:
    static constexpr ControlType kType = ControlType::TransLabel;
    using Component::Component;
    void CreateNative(HWND parent) override;
    void SetCaption(std::string_view text);
    PropertyValue ReadTypeProperty(int32_t number, int32_t member) override;
    void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) override;
    void Paint(HDC dc);

  private:
    bool PaintCanvasBeneath(HDC dc);
    std::string caption_;
};

}  // namespace kelvra
