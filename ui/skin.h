#pragma once
// The program's own skin layer. It takes the skin block compiled into the program (".SHE",
// version, theme colours) with the call shape start-up uses, and turns on the platform's visual
// styles for the program's windows.

#include <cstdint>

namespace kelvra {

// The skin taken last; the program owns it (LayerState).
struct SkinTheme {
    uint32_t face = 0, text = 0, accent = 0;  // COLORREF
    bool loaded = false;
};

// `data`: the skin block; `mode` 1; `password` an empty text; the last three 0. Returns 1 when
// the block was taken, 0 when it is not a skin block.
int32_t __stdcall SkinH_AttachRes(const uint8_t* data, int32_t mode, const char* password,
                                  int32_t reserved1, int32_t reserved2, int32_t reserved3);

}  // namespace kelvra
