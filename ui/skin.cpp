#include "ui/skin.h"

#include <windows.h>
#include <uxtheme.h>

#include <cstring>

#include "runtime/layer_state.h"
#include "runtime/win/system_library.h"

namespace kelvra {

namespace {

uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

int32_t __stdcall SkinH_AttachRes(const uint8_t* data, int32_t, const char*, int32_t, int32_t,
                                  int32_t) {
    if (data == nullptr || std::memcmp(data, ".SHE", 4) != 0) return 0;
    // Layout: magic, uint32 version, uint32 colour count, then RGB triples.
    const uint32_t count = ReadLe32(data + 8);
    const uint8_t* rgb = data + 12;
    SkinTheme& theme = LayerState<SkinTheme>();
    uint32_t* slots[] = {&theme.face, &theme.text, &theme.accent};
    for (uint32_t i = 0; i < count && i < 3; ++i)
        *slots[i] = RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    theme.loaded = true;
    if (const auto allow = SystemFunction<decltype(&SetThemeAppProperties)>(
            L"uxtheme.dll", "SetThemeAppProperties"))
        allow(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
    return 1;
}

}  // namespace kelvra
