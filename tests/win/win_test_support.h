#pragma once
// What the Windows tests share: child processes, message-box watchers, folders, the program.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "ui/property_access.h"

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
// Starts this test program with `--child=NAME`; all null when it cannot.
PROCESS_INFORMATION StartChild(const wchar_t* name);

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

// Whether two top-down 32-bit pictures of one size show the same colours.
bool SameColours(HBITMAP a, HBITMAP b);
// Whether the window shows the picture its controls paint each for itself, frames included: read
// as it is, then after all of it was painted again the usual way. The caret is left out.
bool ShowsAsPainted(HWND window);

// A new folder under the temporary folder, its name unique to this run; names and removal reach
// below MAX_PATH too.
std::wstring NewTempFolder(std::wstring_view stem);
std::set<std::wstring> FolderNames(const std::wstring& dir);
void RemoveFolder(const std::wstring& dir);
bool PutFile(const std::wstring& path, std::string_view bytes);
std::string GetFile(const std::wstring& path);  // "<unreadable>" when it cannot be opened
// A symbolic link `link` to the file `target`, which must be there. Under Wine it is a Unix link
// made by the system's `ln` (Wine makes none itself), as an operator's folder would hold it.
bool MakeLink(const std::wstring& link, const std::wstring& target);
// The full path of an existing file or folder as the system spells it, after every link.
std::wstring FinalPath(const std::wstring& path);

// The program in this process, as a new process in a folder of its own would find itself: that
// folder is the current directory and holds `ini_` (not yet there).
class ProgramInFolder : public testing::Test {
  protected:
    void SetUp() override { StartIn(NewTempFolder(L"kelvra-program-")); }
    void TearDown() override;
    void StartIn(const std::wstring& dir);
    static void CloseProgram();  // closes every window and empties the queue

    std::wstring dir_, ini_;
    wchar_t old_[MAX_PATH] = {};
};

// Whole-value properties by number, as the tests address them; by default a caption or content.
inline std::string ReadText(WindowId w, int32_t c, int32_t p = kFirstTypeProperty) {
    return ReadProperty(static_cast<int32_t>(w), c, p, -1).text;
}
inline void WriteText(WindowId w, int32_t c, int32_t p, std::string_view text) {
    WriteProperty(static_cast<int32_t>(w), c, p, -1, PropertyValue::Text(text));
}
inline void WriteNumber(WindowId w, int32_t c, int32_t p, int32_t m, int64_t n) {
    WriteProperty(static_cast<int32_t>(w), c, p, m, PropertyValue::Number(n));
}

struct ChildRegistrar {
    ChildRegistrar(const wchar_t* name, ChildScenario scenario) { RegisterChild(name, scenario); }
};

}  // namespace kelvra::test

namespace kelvra {
using test::ReadText;
using test::WriteNumber;
using test::WriteText;
}  // namespace kelvra
