// The file layer against what Windows does to a file: attributes and access rules kept by a save,
// a second handle holding or mapping the file, a folder that refuses new files, a file too large
// to edit, a folder deeper than MAX_PATH or named beyond GBK, temporary files left by a killed
// save or being written by another copy, and the current directory and file existence.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "config/prize_table.h"
#include "config/rate_rules.h"
#include "runtime/encoding.h"
#include "runtime/file_io.h"
#include "runtime/files.h"
#include "runtime/ini.h"
#include "tests/win/win_test_support.h"

namespace kelvra {
namespace {

const std::string kOld = "[奖项]\r\n奖项1=旧\r\n";
const std::string kNew = "[奖项]\r\n奖项1=新\r\n";

using test::FolderNames;
using test::GetFile;
using test::PutFile;
using test::RemoveFolder;

// A "Unicode" file as Notepad saves it: the mark, then the units little-endian.
std::string Utf16LeFile(std::wstring_view text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

class Files : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = test::NewTempFolder(L"kelvra-files-");
        ini_ = dir_ + L"\\peizhi.ini";
        path_ = WideToGbk(ini_);
    }
    void TearDown() override {
        SetProgramFolder(L"");
        RemoveFolder(dir_);
    }
    WriteOutcome Save() { return IniWriteSection(path_, "奖项", kNames); }

    const std::pair<std::string, std::string> kNames[1] = {{"奖项1", "新"}};
    std::wstring dir_, ini_;
    std::string path_;
};

TEST_F(Files, KeepsHiddenSystemAndArchiveAttributes) {
    for (DWORD set : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM},
                      DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        PutFile(ini_, kOld);
        ASSERT_TRUE(SetFileAttributesW(ini_.c_str(), set));
        const DWORD before = GetFileAttributesW(ini_.c_str());
        ASSERT_EQ(before & set, set);
        EXPECT_EQ(Save(), WriteOutcome::Written);
        EXPECT_EQ(GetFile(ini_), kNew);
        EXPECT_EQ(GetFileAttributesW(ini_.c_str()), before) << set;
        SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(FolderNames(dir_), std::set<std::wstring>{L"peizhi.ini"});
}

TEST_F(Files, KeepsTheSecurityDescriptor) {
    PutFile(ini_, kOld);
    // The user alone: no new file gets that by default.
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    char user[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, sizeof user, &size));
    CloseHandle(token);
    wchar_t* sid = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                     &sd, nullptr));
    const bool set = SetFileSecurityW(ini_.c_str(), DACL_SECURITY_INFORMATION, sd) != FALSE;
    LocalFree(sd);
    if (!set) GTEST_SKIP() << "this file system keeps no security descriptor";
    const auto dacl = [&] {
        std::vector<char> buffer(4096);
        DWORD needed = 0;
        if (!GetFileSecurityW(ini_.c_str(), DACL_SECURITY_INFORMATION, buffer.data(),
                              static_cast<DWORD>(buffer.size()), &needed))
            return std::vector<char>();
        buffer.resize(GetSecurityDescriptorLength(buffer.data()));
        return buffer;
    };
    const std::vector<char> before = dacl();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(Save(), WriteOutcome::Written);
    EXPECT_EQ(GetFile(ini_), kNew);
    EXPECT_EQ(dacl(), before);
}

// The file's identity on its volume: a replace gives a new one, an in-place rewrite keeps it.
std::pair<DWORD, DWORD> FileId(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return {info.nFileIndexHigh, info.nFileIndexLow};
}

// Editors, sync tools and virus scanners hold the file open; what they share decides, and one that
// lets go within the save's short waits does not stop it.
TEST_F(Files, AFileHeldElsewhereIsWrittenWhenItsHolderSharesWritingOrLetsGo) {
    // Wine refuses to rename over a file open elsewhere, whatever the holder shares: a file that
    // Windows replaces may be written in place there.
    enum Result { Replaced, Written, InPlace, Refused };
    const struct {
        const char* holder;
        DWORD access, share, letGoAfterMs;
        Result expected;
    } cases[] = {
        {"reader sharing everything", GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, Written},
        {"editor sharing read and write but not delete", GENERIC_READ | GENERIC_WRITE,
         FILE_SHARE_READ | FILE_SHARE_WRITE, 0, InPlace},
        {"reader sharing read only", GENERIC_READ, FILE_SHARE_READ, 0, Refused},
        {"reader sharing nothing", GENERIC_READ, 0, 0, Refused},
        {"reader sharing read only, gone after 60 ms", GENERIC_READ, FILE_SHARE_READ, 60, Replaced},
        {"scanner sharing nothing, gone after 60 ms", GENERIC_READ, 0, 60, Replaced},
    };
    const std::string tail = "; " + std::string(1000, 'x') + "\r\n";  // the end must move
    for (const auto& c : cases) {
        SCOPED_TRACE(c.holder);
        PutFile(ini_, kOld + tail);
        const auto idBefore = FileId(ini_);
        HANDLE held =
            CreateFileW(ini_.c_str(), c.access, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread letGo;
        if (c.letGoAfterMs != 0)
            letGo = std::thread([&] {
                Sleep(c.letGoAfterMs);
                CloseHandle(held);
            });
        EXPECT_EQ(Save(),
                  c.expected == Refused ? WriteOutcome::HeldByOtherProgram : WriteOutcome::Written);
        if (letGo.joinable())
            letGo.join();
        else
            CloseHandle(held);
        EXPECT_EQ(GetFile(ini_), (c.expected == Refused ? kOld : kNew) + tail);
        if (c.expected != Written) {
            EXPECT_EQ(FileId(ini_) != idBefore, c.expected == Replaced);
        }
        EXPECT_EQ(FolderNames(dir_), std::set<std::wstring>{L"peizhi.ini"});
    }
}

// An editor that maps the file into its memory shares writing but not delete, so the save writes
// the file in place; the system then refuses to cut the mapped file shorter, after the new bytes
// went over its start.
TEST_F(Files, AnInPlaceRewriteThatFailsPartWayPutsTheOldBytesBack) {
    const std::string old = "[奖项]\r\n奖项1=" + std::string(5000, 'x') + "\r\n";
    PutFile(ini_, old);
    HANDLE held = CreateFileW(ini_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE mapping = CreateFileMappingW(held, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Save(), WriteOutcome::HeldByOtherProgram);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(held);
    EXPECT_EQ(GetFile(ini_), old);
    EXPECT_EQ(FolderNames(dir_), std::set<std::wstring>{L"peizhi.ini"});
}

// Program Files for a user: a folder whose access rules refuse new files. Wine turns access rules
// into Unix permissions, which root passes; the kernel's /sys refuses new files to root too.
TEST_F(Files, AFolderThatRefusesNewFilesIsToldAsNoPermission) {
    std::wstring folder = dir_ + L"\\denied";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    PSECURITY_DESCRIPTOR sd = nullptr;  // everyone: all but adding a file
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(D;;0x2;;;WD)(A;OICI;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
    SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    HANDLE probe = CreateFileW((folder + L"\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        folder = L"Z:\\sys";
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no folder here refuses new files";
    }
    SetProgramFolder(folder);
    const SaveResult r = SaveSection("奖项", "奖项", {"甲"});
    EXPECT_EQ(r.outcome, WriteOutcome::NoPermission);
    EXPECT_NE(SaveFailureText(r).find("没有写入的权限"), std::string::npos);
    EXPECT_FALSE(FileExists(ConfigPath()));
}

// The seams of the file layer, empty again when the test ends.
struct Seams {
    Seams() = default;
    Seams(const Seams&) = delete;
    Seams& operator=(const Seams&) = delete;
    ~Seams() { FileSeamsForTesting() = {}; }
    FileLayerSeams* operator->() { return &FileSeamsForTesting(); }
};

// A folder that refuses new files to the user while its peizhi.ini may be written (the tests run
// as root, whom no folder refuses: the refusal comes through the seam): the file is written where
// it stands, unless another program holds it or it is not there.
TEST_F(Files, AFolderThatRefusesNewFilesGetsItsFileRewrittenInPlace) {
    Seams seams;
    seams->tempFileError = ERROR_ACCESS_DENIED;
    PutFile(ini_, kOld);
    const auto id = FileId(ini_);
    EXPECT_EQ(Save(), WriteOutcome::Written);
    EXPECT_EQ(GetFile(ini_), kNew);
    EXPECT_EQ(FileId(ini_), id) << "rewritten, not replaced";

    PutFile(ini_, kOld);
    HANDLE held = CreateFileW(ini_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    EXPECT_EQ(Save(), WriteOutcome::HeldByOtherProgram);
    CloseHandle(held);
    EXPECT_EQ(GetFile(ini_), kOld);
    EXPECT_EQ(FolderNames(dir_), std::set<std::wstring>{L"peizhi.ini"});

    DeleteFileW(ini_.c_str());
    EXPECT_EQ(Save(), WriteOutcome::NoPermission);
    EXPECT_TRUE(FolderNames(dir_).empty());
}

// A link in place of peizhi.ini, left by an operator whose file lives elsewhere: a save writes
// the file where the link leads, also when that file moved away, and the link stays; a link into
// a folder that is not there any more gets no file and the operator is told.
TEST_F(Files, ASaveThroughALinkWritesWhereItLeads) {
    const std::wstring outside = test::NewTempFolder(L"kelvra-files-linked-");
    const std::wstring target = outside + L"\\settings.ini";
    PutFile(target, kOld);
    const std::wstring targetPath = test::FinalPath(target);
    ASSERT_TRUE(test::MakeLink(ini_, target));
    EXPECT_EQ(SaveTargetOf(path_), targetPath);
    ASSERT_TRUE(DeleteFileW(target.c_str()));
    EXPECT_EQ(SaveTargetOf(path_), targetPath) << "a link that leads nowhere";
    EXPECT_TRUE(FolderNames(outside).empty()) << "finding where it leads leaves no file";

    ASSERT_EQ(Save(), WriteOutcome::Written);
    EXPECT_EQ(GetFile(target), kNew);
    EXPECT_EQ(FileId(ini_), FileId(target)) << "peizhi.ini is still the link";
    EXPECT_EQ(FolderNames(outside), std::set<std::wstring>{L"settings.ini"});
    EXPECT_EQ(SaveTargetOf(WideToGbk(dir_ + L"\\plain.ini")),
              test::FinalPath(dir_) + L"\\plain.ini")
        << "a name that is free";

    DeleteFileW(target.c_str());
    RemoveFolder(outside);
    EXPECT_EQ(SaveTargetOf(path_), L"") << "a link into a folder that is not there";
    SetProgramFolder(dir_);
    const SaveResult r = SaveSection("奖项", "奖项", {"新"});
    EXPECT_EQ(r.outcome, WriteOutcome::Failed);
    EXPECT_NE(SaveFailureText(r).find(WideToGbk(ini_)), std::string::npos);
    EXPECT_EQ(GetFileAttributesW(ini_.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no plain file in place of the link";
}

// Another program cuts the file short while it is read (or its USB stick is pulled): the read
// fails, as one that cannot start does, and a save that needed it writes nothing.
TEST_F(Files, AFileCutShortDuringTheReadIsAFailedRead) {
    const std::string content = kOld + "; " + std::string(3u << 20, 'x') + "\r\n";
    bool cut = true;
    Seams seams;
    seams->betweenReadChunks = [&] {
        if (cut) return;
        cut = true;
        HANDLE h = CreateFileW(ini_.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(kOld.size());
        EXPECT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h));
        CloseHandle(h);
    };
    PutFile(ini_, content);
    cut = false;
    EXPECT_EQ(IniReadText(path_, "奖项", "奖项1", "无"), "无");
    EXPECT_EQ(IniReadText(path_, "奖项", "奖项1", "无"), "旧") << "the file as it was cut";

    PutFile(ini_, content);
    cut = false;
    EXPECT_EQ(Save(), WriteOutcome::Failed);
    EXPECT_TRUE(GetFile(ini_) == kOld) << "the file as it was cut, not its start and zeros";
}

// A hostile or broken file far larger than a configuration file: the save is refused with its
// own message and the file stays as it was.
TEST_F(Files, AFileTooLargeToEditIsLeftAloneAndTold) {
    PutFile(ini_, kOld);
    HANDLE h = CreateFileW(ini_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = kMaxEditedFileBytes + 1;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    SetProgramFolder(dir_);
    const SaveResult r = SaveSection("奖项", "奖项", {"新"});
    EXPECT_EQ(r.outcome, WriteOutcome::TooLarge);
    EXPECT_NE(SaveFailureText(r).find("这个文件太大"), std::string::npos);
    h = CreateFileW(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char start[32] = {};
    DWORD n = 0;
    ReadFile(h, start, static_cast<DWORD>(kOld.size()), &n, nullptr);
    EXPECT_TRUE(GetFileSizeEx(h, &size));
    CloseHandle(h);
    EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(kMaxEditedFileBytes + 1));
    EXPECT_EQ(std::string(start, n), kOld);
    EXPECT_EQ(FolderNames(dir_), std::set<std::wstring>{L"peizhi.ini"});
}

// Another copy of the program saving in the same folder holds its temporary file, sharing delete
// access so that its rename may take it; a file of the operator's is no temporary file, and
// neither is a link of such a name: what it leads to stays, and so does the link.
TEST_F(Files, AStaleTemporaryFileGoesAndNothingElse) {
    PutFile(ini_, kOld);
    for (const wchar_t* name :
         {L"~kelvra-0badf00d.tmp", L"~kelvra-12345678.tmp", L"~kv0badf00d.tmp",
          L"~kelvra-notours.tmp", L"~kelvra-0badf00d.tmp.bak", L"other.tmp"})
        PutFile(dir_ + L"\\" + name, "x");
    HANDLE live = CreateFileW((dir_ + L"\\~kelvra-12345678.tmp").c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::wstring outside = test::NewTempFolder(L"kelvra-files-outside-");
    PutFile(outside + L"\\~kelvra-deadbeef.tmp", "x");
    PutFile(outside + L"\\list.txt", "the operator's");
    ASSERT_TRUE(test::MakeLink(dir_ + L"\\~kelvra-87654321.tmp", outside + L"\\list.txt"));
    EXPECT_EQ(Save(), WriteOutcome::Written);
    CloseHandle(live);
    EXPECT_EQ(FolderNames(dir_),
              (std::set<std::wstring>{L"peizhi.ini", L"~kelvra-12345678.tmp", L"~kv0badf00d.tmp",
                                      L"~kelvra-notours.tmp", L"~kelvra-0badf00d.tmp.bak",
                                      L"other.tmp", L"~kelvra-87654321.tmp"}));
    EXPECT_EQ(FolderNames(outside), (std::set<std::wstring>{L"~kelvra-deadbeef.tmp", L"list.txt"}));
    EXPECT_EQ(GetFile(dir_ + L"\\~kelvra-87654321.tmp"), "the operator's");
    RemoveFolder(outside);
}

// The program folder as the executable's folder may be: deeper than MAX_PATH, or named with
// characters GBK has not. The logic still builds CurrentDirectory() + "\peizhi.ini".
TEST_F(Files, TheFileBesideTheProgramWhateverItsFolderIsCalled) {
    std::wstring deep = dir_;
    const std::wstring level = GbkToWide("配置文件夹的名字很长很长很长很长很长很长很长很长");
    while (WideToGbk(deep).size() <= 300) {
        deep += L"\\" + level;
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring foreign = dir_ + L"\\\xD55C\xAE00-kelvra";  // Hangul: no GBK form
    ASSERT_TRUE(CreateDirectoryW(foreign.c_str(), nullptr));

    for (const std::wstring& folder : {deep, foreign}) {
        SetProgramFolder(folder);
        EXPECT_EQ(CurrentDirectory(), ".");
        EXPECT_FALSE(FileExists(ConfigPath()));
        const SaveResult r =
            SaveSection("奖项", "奖项", {"甲", "", "", "", "", "", "", "", "", ""});
        EXPECT_EQ(r.outcome, WriteOutcome::Written);
        // The full path is shown; characters GBK has not become '?'.
        EXPECT_EQ(r.file, WideToGbk(folder + L"\\peizhi.ini"));
        EXPECT_TRUE(FileExists(ConfigPath()));
        EXPECT_EQ(IniReadText(ConfigPath(), "奖项", "奖项1"), "甲");
        EXPECT_EQ(SaveSection("奖项", "奖项", {"乙"}).outcome, WriteOutcome::Written);
        EXPECT_EQ(IniReadText(ConfigPath(), "奖项", "奖项1"), "乙") << "an existing file replaced";
    }
    EXPECT_TRUE(FolderNames(dir_).count(L"peizhi.ini") == 0) << "nothing written elsewhere";
}

// Windows turns the three bytes that stand for a lone surrogate on the way to GBK into a '?'
// each unless told otherwise; a save keeps the surrogates.
TEST_F(Files, EachLoneSurrogateOfAUnicodeFileReadsAsOneQuestionMark) {
    PutFile(ini_, Utf16LeFile(L"[奖项]\r\n奖项1=a\xD800z\r\n奖项2=\xDC00\xD800\r\n"));
    EXPECT_EQ(IniReadText(path_, "奖项", "奖项1"), "a?z");
    EXPECT_EQ(IniReadText(path_, "奖项", "奖项2"), "??");
    ASSERT_EQ(Save(), WriteOutcome::Written);
    EXPECT_EQ(GetFile(ini_), Utf16LeFile(L"[奖项]\r\n奖项1=新\r\n奖项2=\xDC00\xD800\r\n"));
}

TEST_F(Files, CurrentDirectoryAndFileExists) {
    const std::wstring dir = test::NewTempFolder(GbkToWide("凯转盘测试"));
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.c_str()));
    const std::string cwd = CurrentDirectory();
    EXPECT_EQ(GbkToWide(cwd), dir);
    EXPECT_NE(cwd.back(), '\\');
    EXPECT_TRUE(FileExists(cwd)) << "a folder counts as existing";
    EXPECT_FALSE(FileExists(cwd + "\\peizhi.ini"));
    PutFile(dir + L"\\peizhi.ini", "");
    EXPECT_TRUE(FileExists(cwd + "\\peizhi.ini"));
    EXPECT_TRUE(FileExists(cwd + "\\pei*.ini"));
    EXPECT_FALSE(FileExists(""));

    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    EXPECT_EQ(CurrentDirectory(), "C:\\") << "a drive root keeps its backslash";
    SetCurrentDirectoryW(old);
    RemoveFolder(dir);
}

}  // namespace
}  // namespace kelvra
