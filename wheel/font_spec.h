#pragma once
// A font as a control or a sprite template holds it.

#include <string>

namespace kelvra {

// A font as a control or sprite template holds it, in the terms of a LOGFONT.
struct FontSpec {
    bool set = false;  // false: no font of its own, the system's default GUI font applies
    int height = 0;    // negative: character height in pixels
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int escapement = 0;  // tenths of a degree
    std::string face;    // GBK

    bool operator==(const FontSpec&) const = default;
};

}  // namespace kelvra
