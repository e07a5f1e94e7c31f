#include "tests/win/win_test_support.h"

#include <cstdint>
#include <initializer_list>
#include <map>

#include "app/bindings.h"
#include "app/state.h"
#include "ui/screen_cover.h"
#include "ui/window.h"

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

// Wine's name of a Windows path on the Unix side ("" outside Wine).
std::wstring UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unix = toUnix != nullptr ? toUnix(path.c_str()) : nullptr;
    if (unix == nullptr) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, unix, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, unix, -1, wide.data(), n);
    HeapFree(GetProcessHeap(), 0, unix);
    return wide;
}

// Starts a Unix program under Wine. Wine gives no handle of a Unix process to wait on: the caller
// waits for what it does.
bool RunUnix(const wchar_t* program, std::initializer_list<std::wstring> args) {
    std::wstring cmd = program;
    for (const std::wstring& arg : args) {
        if (arg.empty()) return false;
        cmd += L" \"" + arg + L"\"";
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    if (pi.hThread != nullptr) CloseHandle(pi.hThread);
    if (pi.hProcess != nullptr) CloseHandle(pi.hProcess);
    return true;
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

PROCESS_INFORMATION StartChild(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --child=" + name;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        pi = PROCESS_INFORMATION{};
    return pi;
}

ChildResult RunChildProcess(const wchar_t* name, DWORD timeoutMs) {
    ChildResult result;
    const PROCESS_INFORMATION pi = StartChild(name);
    if (pi.hProcess == nullptr) {
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

bool SameColours(HBITMAP a, HBITMAP b) {
    DIBSECTION x{}, y{};
    if (GetObjectW(a, sizeof x, &x) != sizeof x || GetObjectW(b, sizeof y, &y) != sizeof y ||
        x.dsBm.bmWidth != y.dsBm.bmWidth || x.dsBm.bmHeight != y.dsBm.bmHeight)
        return false;
    const auto* p = static_cast<const uint32_t*>(x.dsBm.bmBits);
    const auto* q = static_cast<const uint32_t*>(y.dsBm.bmBits);
    for (size_t i = 0; i < static_cast<size_t>(x.dsBm.bmWidth) * x.dsBm.bmHeight; ++i)
        if (((p[i] ^ q[i]) & 0xFFFFFF) != 0) return false;
    return true;
}

bool ShowsAsPainted(HWND window) {
    HideCaret(nullptr);
    HBITMAP shown = ReadWindow(window);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HBITMAP painted = ReadWindow(window);
    ShowCaret(nullptr);
    const bool same = shown != nullptr && painted != nullptr && SameColours(shown, painted);
    if (shown != nullptr) DeleteObject(shown);
    if (painted != nullptr) DeleteObject(painted);
    return same;
}

std::wstring NewTempFolder(std::wstring_view stem) {
    static int counter = 0;
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring dir = std::wstring(tmp) + std::wstring(stem) +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::set<std::wstring> FolderNames(const std::wstring& dir) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + dir + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.insert(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

void RemoveFolder(const std::wstring& dir) {
    for (const std::wstring& name : FolderNames(dir)) {
        const std::wstring path = L"\\\\?\\" + dir + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path.c_str())) RemoveFolder(dir + L"\\" + name);
    }
    // Under Wine a Unix link that leads nowhere is seen by nothing but the Unix side.
    if (!RemoveDirectoryW((L"\\\\?\\" + dir).c_str()))
        RunUnix(L"Z:\\bin\\rm", {L"-rf", UnixPath(dir)});
}

bool PutFile(const std::wstring& path, std::string_view bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(h);
    return ok;
}

std::string GetFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

bool MakeLink(const std::wstring& link, const std::wstring& target) {
    const std::wstring unixLink = UnixPath(link), unixTarget = UnixPath(target);
    if (unixLink.empty() || unixTarget.empty())
        return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
    if (!RunUnix(L"Z:\\bin\\ln", {L"-s", unixTarget, unixLink})) return false;
    // The link is there when its name opens.
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(10))
        if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

std::wstring FinalPath(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, name.data(), 32768, VOLUME_NAME_DOS);
    CloseHandle(h);
    name.resize(n < 32768 ? n : 0);
    return name;
}

void ProgramInFolder::StartIn(const std::wstring& dir) {
    dir_ = dir;
    ini_ = dir_ + L"\\peizhi.ini";
    GetCurrentDirectoryW(MAX_PATH, old_);
    SetCurrentDirectoryW(dir_.c_str());
    ResetStateForTesting();
    InitWindowSystem(GetModuleHandleW(nullptr), ProgramBindings());
}

void ProgramInFolder::TearDown() {
    CloseProgram();
    ResetStateForTesting();
    SetCurrentDirectoryW(old_);
    RemoveFolder(dir_);
}

void ProgramInFolder::CloseProgram() {
    for (WindowId id : {WindowId::Rate, WindowId::Help, WindowId::Main})
        if (LoadedWindow* w = FindLoadedWindow(static_cast<int32_t>(id))) DestroyWindow(w->hwnd());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace kelvra::test
