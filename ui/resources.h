#pragma once
// The bytes compiled into the program by its resource script (ui/assets/kelvra.rc).

#include <string_view>

namespace kelvra {

// The raw bytes of an RCDATA resource of this program; empty when there is none.
std::string_view ResourceBytes(const wchar_t* name);

}  // namespace kelvra
