#include "tests/win/win_test_support.h"

#include <map>

namespace kelvra::test {

namespace {
std::map<std::wstring, ChildScenario>& Children() {
    static std::map<std::wstring, ChildScenario> children;
    return children;
}

struct FindBox {
    DWORD pid;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK FindBoxProc(HWND hwnd, LPARAM lp) {
    auto* find = reinterpret_cast<FindBox*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != find->pid || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) != L"#32770") return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (find->title->empty() || *find->title == title) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessBox(DWORD pid, const std::wstring& title) {
    FindBox find{pid, &title, nullptr};
    EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
}
}  // namespace

void RegisterChild(const wchar_t* name, ChildScenario scenario) {
    Children()[name] = scenario;
}

int RunChild(const wchar_t* name) {
    auto it = Children().find(name);
    if (it == Children().end()) return 3;
    it->second();
    return 0;
}

std::wstring BoxMessage(HWND box) {
    // The message box's text is the static control with id 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    return text != nullptr ? WindowText(text) : std::wstring();
}

ChildResult RunChildProcess(const wchar_t* name, DWORD timeoutMs) {
    ChildResult result;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --child=" + name;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        result.timedOut = true;
        return result;
    }
    const DWORD start = GetTickCount();
    bool closed = false;
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            result.timedOut = true;
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        if (closed) continue;
        if (HWND box = FindProcessBox(pi.dwProcessId, L"")) {
            Sleep(100);
            result.boxTitle = WindowText(box);
            result.boxText = BoxMessage(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            closed = true;
        }
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

BoxWatcher::BoxWatcher(std::wstring title, int button, std::function<void(HWND)> inspect)
    : title_(std::move(title)), button_(button), inspect_(std::move(inspect)) {
    thread_ = CreateThread(nullptr, 0, &BoxWatcher::Run, this, 0, nullptr);
}

BoxWatcher::~BoxWatcher() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
}

DWORD WINAPI BoxWatcher::Run(void* p) {
    auto* self = static_cast<BoxWatcher*>(p);
    const DWORD start = GetTickCount();
    while (!self->stop_ && GetTickCount() - start < 15000) {
        if (HWND box = FindProcessBox(GetCurrentProcessId(), self->title_)) {
            Sleep(50);
            if (self->inspect_) self->inspect_(box);
            self->found_ = true;
            PostMessageW(box, WM_COMMAND, self->button_, 0);
            return 0;
        }
        Sleep(20);
    }
    return 0;
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

}  // namespace kelvra::test
