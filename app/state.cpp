#include "app/state.h"

#include <vector>

#include "runtime/files.h"

namespace kelvra {

namespace {

ProgramState* Bind(ProgramState& s) {
    BindWindowSystem(&s.windows);
    BindHotKeyState(&s.hotKeys);
    BindEventPumpState(&s.eventPump);
    BindSkinState(&s.skin);
    BindPictureCache(&s.pictures);
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
    for (const auto& [id, window] : s.windows.windows) open.push_back(window->hwnd());
    for (HWND hwnd : open)
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    s.windows.windows.clear();
    RestoreHotKeyWindow(s.hotKeys);
    const HINSTANCE instance = s.windows.instance;
    const auto bindings = s.windows.bindings;
    const EventPumpState pump = s.eventPump;
    s = ProgramState{};
    // The window classes and the keyboard hook are set up once per process; the handlers stay
    // those last given to InitWindowSystem.
    s.windows.instance = instance;
    s.windows.bindings = bindings;
    s.eventPump = pump;
    SetProgramFolder(L"");
    // Quitting after the last window closed is not for the next test.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace kelvra
