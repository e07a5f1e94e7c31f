#include "app/state.h"

#include <vector>

#include "runtime/files.h"
#include "runtime/layer_state.h"

namespace kelvra {

namespace {

ProgramState* Bind(ProgramState& s) {
    BindLayerState(&s.windows);
    BindLayerState(&s.hotKeys);
    BindLayerState(&s.eventPump);
    BindLayerState(&s.skin);
    BindLayerState(&s.pictures);
    return &s;
}

}  // namespace

ProgramState& State() {
    static ProgramState state;
    static ProgramState* bound = Bind(state);
    return *bound;
}

void ResetStateForTesting() {
    ProgramState& s = State();
    std::vector<HWND> open;
    for (const auto& [id, window] : s.windows.open) open.push_back(window->hwnd());
    for (HWND hwnd : open)
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    s.windows.open.clear();
    RestoreHotKeyWindow(s.hotKeys);
    const HINSTANCE instance = s.windows.instance;
    const auto bindings = s.windows.bindings;
    const EventPumpState pump = s.eventPump;
    s = ProgramState{};
    s.windows.instance = instance;
    s.windows.bindings = bindings;
    s.eventPump = pump;
    // Kept by the process rather than here: start-up sets it before this state exists.
    SetProgramFolder(L"");
    // Quitting after the last window closed is not for the next test.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace kelvra
