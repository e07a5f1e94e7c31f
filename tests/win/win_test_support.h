#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kelvra::test {

// A scenario run in a child process: `--child=NAME`.
using ChildScenario = void (*)();
void RegisterChild(const wchar_t* name, ChildScenario scenario);
int RunChild(const wchar_t* name);

struct ChildResult {
    DWORD exitCode = 0;
    std::wstring boxTitle;  // the first message box the child showed, closed by the watcher
    std::wstring boxText;
    bool timedOut = false;
};
// Starts this test program with `--child=NAME`, closes the first message box it shows (reading
// its title and text), and waits for it to end.
ChildResult RunChildProcess(const wchar_t* name, DWORD timeoutMs = 20000);

// Polls from another thread until a top-level dialog box of this process with the given title
// shows, runs `inspect` on it, then presses `button` in it. Returns whether it was found.
class BoxWatcher {
  public:
    BoxWatcher(std::wstring title, int button, std::function<void(HWND)> inspect = {});
    ~BoxWatcher();
    bool found() const { return found_; }

  private:
    static DWORD WINAPI Run(void* self);
    std::wstring title_;
    int button_;
    std::function<void(HWND)> inspect_;
    HANDLE thread_ = nullptr;
    volatile bool found_ = false;
    volatile bool stop_ = false;
};

// The text of a dialog's static message control.
std::wstring BoxMessage(HWND box);

// Pumps messages for `ms` milliseconds.
void Pump(DWORD ms);

struct ChildRegistrar {
    ChildRegistrar(const wchar_t* name, ChildScenario scenario) { RegisterChild(name, scenario); }
};

}  // namespace kelvra::test
