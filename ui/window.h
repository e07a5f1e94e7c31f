#pragma once
// The program's windows: the registration of the window classes and the keyboard handling
// shared by every window. Through this header come the registry (LoadWindow, FindLoadedWindow,
// ...) and the window itself (LoadedWindow).

#include <windows.h>

#include <span>

#include "ui/binding.h"
#include "ui/loaded_window.h"
#include "ui/window_registry.h"

namespace kelvra {

// Registers the window classes and the keyboard pre-translation, and takes the handlers of the
// program; events without a binding do nothing.
void InitWindowSystem(HINSTANCE instance, std::span<const Binding> bindings);

}  // namespace kelvra
