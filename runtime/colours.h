#pragma once
// The colours the program names, as COLORREF values (red in the low byte): one name each, for
// the rules and the layouts alike.

#include <cstdint>

namespace kelvra {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

inline constexpr uint32_t kBlack = Rgb(0, 0, 0);
inline constexpr uint32_t kWhite = Rgb(255, 255, 255);
inline constexpr uint32_t kRed = Rgb(255, 0, 0);

}  // namespace kelvra
