#include "ui/model/scale.h"

#include "ui/model/properties.h"

namespace kelvra {

int32_t Scale::Px(int32_t units) const {
    return IsIdentity() ? units : MulDivRounded(units, num_, den_);
}

PixelRect Scale::Px(int32_t left, int32_t top, int32_t width, int32_t height) const {
    const int32_t l = Px(left), t = Px(top);
    return {l, t, Px(left + width) - l, Px(top + height) - t};
}

int32_t Scale::Units(int32_t pixels) const {
    return IsIdentity() ? pixels : MulDivRounded(pixels, den_, num_);
}

Scale Scale::ToFit(int32_t unitsW, int32_t unitsH, int32_t pixelsW, int32_t pixelsH) {
    if (unitsW <= 0 || unitsH <= 0) return {};
    // pixelsW / unitsW against pixelsH / unitsH: the smaller ratio fits both ways.
    if (static_cast<int64_t>(pixelsW) * unitsH <= static_cast<int64_t>(pixelsH) * unitsW)
        return Scale(pixelsW, unitsW);
    return Scale(pixelsH, unitsH);
}

}  // namespace kelvra
