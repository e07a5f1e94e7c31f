#pragma once
// The events a control raises and the table that binds each to a handler of the program.

#include <cstdint>

#include "ui/model/layout.h"

namespace kelvra {

enum class EventKind {
    Created,
    Destroying,
    MouseDown,
    MouseUp,
    Clicked,
    Changed,
    Feedback,
    KeyDown,  // of a window: a key pressed anywhere in it; a handler's non-zero result takes it
};

// Each event fills the fields it has; the others stay 0.
struct EventArgs {
    // MouseDown, MouseUp: the pointer in units of the layout, and the keys held (1 Ctrl,
    // 2 Shift, 4 Alt).
    int32_t x = 0;
    int32_t y = 0;
    int32_t keys = 0;
    // Feedback: the message's parameters as the label received them.
    int32_t wParam = 0;
    int32_t lParam = 0;
    // KeyDown.
    int32_t virtualKey = 0;
};

using EventHandler = int32_t (*)(const EventArgs& args);

struct Binding {
    WindowId window;
    int32_t component;  // the window's own id for window events
    EventKind event;
    EventHandler handler;
};

}  // namespace kelvra
