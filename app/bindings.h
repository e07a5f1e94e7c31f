#pragma once
// Which handler of the program runs for which event of which control.

#include <span>

#include "ui/binding.h"

namespace kelvra {

std::span<const Binding> ProgramBindings();

}  // namespace kelvra
