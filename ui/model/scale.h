#pragma once
// Layout units and device pixels. The layouts are drawn in units of one pixel at 96 DPI; a
// window shows them at its monitor's DPI (or larger, full screen). Every length, position and
// font height goes through the same rounding: MulDiv, half away from zero.

#include <cstdint>

namespace kelvra {

// A rectangle in device pixels.
struct PixelRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// A rectangle in layout units.
struct UnitRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const UnitRect&) const = default;
};

class Scale {
  public:
    constexpr Scale() = default;
    // `num` pixels for every `den` units (num = dpi, den = 96 for a monitor's DPI).
    constexpr Scale(int32_t num, int32_t den) : num_(num > 0 ? num : 96), den_(den > 0 ? den : 96) {}
    static constexpr Scale ForDpi(int32_t dpi) { return Scale(dpi, 96); }

    bool IsIdentity() const { return num_ == den_; }
    int32_t num() const { return num_; }
    int32_t den() const { return den_; }
    // Units to pixels.
    int32_t Px(int32_t units) const;
    // An edge-exact rectangle: both edges are scaled, so that controls that meet in units meet
    // in pixels.
    PixelRect Px(int32_t left, int32_t top, int32_t width, int32_t height) const;
    // Pixels back to units (mouse coordinates, positions read back).
    int32_t Units(int32_t pixels) const;
    // The scale that fits `units` (w x h) into `pixels` (w x h) whole, keeping the proportions.
    static Scale ToFit(int32_t unitsW, int32_t unitsH, int32_t pixelsW, int32_t pixelsH);

    bool operator==(const Scale& o) const {
        return static_cast<int64_t>(num_) * o.den_ == static_cast<int64_t>(o.num_) * den_;
    }

  private:
    int32_t num_ = 96;
    int32_t den_ = 96;
};

}  // namespace kelvra
