#include <windows.h>

#include <new>

#include "runtime/encoding.h"
#include "runtime/file_io.h"
#include "runtime/files.h"

namespace kelvra {

namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE h) {
        Close();
        h_ = h;
    }
    bool Close() {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        const bool ok = CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE h_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            static_cast<DWORD>(bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// "~kv" and eight hex digits: short, so that a path that fits MAX_PATH still fits with it.
constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
std::wstring TempName(unsigned seed) {
    std::wstring name = L"~kv";
    for (int shift = 28; shift >= 0; shift -= 4) name += kHexDigits[(seed >> shift) & 0xF];
    return name + L".tmp";
}

bool IsTempName(std::wstring_view name) {
    if (name.size() != 15 || !name.starts_with(L"~kv") || !name.ends_with(L".tmp")) return false;
    for (wchar_t c : name.substr(3, 8))
        if (std::wstring_view(kHexDigits).find(c) == std::wstring_view::npos) return false;
    return true;
}

// A save killed half-way leaves its temporary file. One still being written by a live save is
// open without delete sharing, so only the abandoned ones go.
void RemoveStaleTempFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"~kv*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (IsTempName(data.cFileName) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + data.cFileName).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

bool IsSharingError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Another program may hold the file for a moment (a virus scanner, a sync tool): a few short
// waits before the save gives up on the way it tried.
constexpr int kSharingRetries = 5;
constexpr DWORD kSharingRetryMs = 40;

WriteOutcome OutcomeOf(DWORD error) {
    if (IsSharingError(error)) return WriteOutcome::HeldByOtherProgram;
    if (error == ERROR_ACCESS_DENIED) return WriteOutcome::NoPermission;
    return WriteOutcome::Failed;
}

bool WriteAt0(HANDLE file, std::string_view bytes) {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) && WriteAll(file, bytes) &&
           SetEndOfFile(file) && FlushFileBuffers(file);
}

// The file cannot be replaced but may be written: write it where it is.
WriteOutcome RewriteInPlace(const std::wstring& target, std::string_view bytes) {
    FileHandle file;
    DWORD error = 0;
    for (int attempt = 0; attempt <= kSharingRetries; ++attempt) {
        if (attempt > 0) Sleep(kSharingRetryMs);
        file.Reset(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) break;
        error = GetLastError();
        if (!IsSharingError(error)) break;
    }
    if (!file) return OutcomeOf(error);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return WriteOutcome::Failed;
    std::string old(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!old.empty() &&
        (!ReadFile(file.get(), old.data(), static_cast<DWORD>(old.size()), &got, nullptr) ||
         got != old.size()))
        return WriteOutcome::Failed;
    if (WriteAt0(file.get(), bytes)) return WriteOutcome::Written;
    WriteAt0(file.get(), old);
    return WriteOutcome::Failed;
}

// Whether the file may be replaced now: a holder that does not share delete access prevents it.
bool CanReplace(const std::wstring& target) {
    for (int attempt = 0; attempt <= kSharingRetries; ++attempt) {
        if (attempt > 0) Sleep(kSharingRetryMs);
        HANDLE h = CreateFileW(target.c_str(), DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        if (!IsSharingError(GetLastError())) return false;
    }
    return false;
}

constexpr SECURITY_INFORMATION kSecurityKept =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

std::string SecurityOf(const std::wstring& path) {
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), kSecurityKept, nullptr, 0, &needed);
    std::string sd(needed, '\0');
    if (needed == 0 || !GetFileSecurityW(path.c_str(), kSecurityKept, sd.data(), needed, &needed))
        return {};
    return sd;
}

// Gives the new file the old one's owner and access rules. Another user's ownership may take a
// privilege to set: then the access rules alone.
void CopySecurity(const std::wstring& from, const std::wstring& to) {
    std::string sd = SecurityOf(from);
    if (sd.empty()) return;
    if (!SetFileSecurityW(to.c_str(), kSecurityKept, sd.data()))
        SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, sd.data());
}

// Replaces an existing file with the temporary one, which first takes the old file's attributes,
// owner and access rules. A rename, not ReplaceFileW: Wine's ReplaceFileW removes the old file
// before it moves the new one in, and a save killed in between would leave no file at all.
bool ReplaceExisting(const std::wstring& target, const std::wstring& temp, DWORD attributes) {
    if (!CanReplace(target)) return false;
    CopySecurity(target, temp);
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    SetFileAttributesW(temp.c_str(),
                       (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL);
    return MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
}  // namespace

namespace {

// Opens an existing file for reading, sharing everything, and tells its size.
ReadResult OpenForReading(const std::string& path, FileHandle& file, LARGE_INTEGER& size) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return ReadResult::Missing;
    file.Reset(CreateFileW(wide.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return ReadResult::Missing;
        return IsSharingError(error) ? ReadResult::Locked : ReadResult::Failed;
    }
    return GetFileSizeEx(file.get(), &size) ? ReadResult::Ok : ReadResult::Failed;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileHandle file;
    LARGE_INTEGER size{};
    if (const ReadResult opened = OpenForReading(path, file, size); opened != ReadResult::Ok)
        return opened;
    try {
        bytes.reserve(static_cast<size_t>(size.QuadPart));
        char buffer[1 << 16];
        for (;;) {
            DWORD n = 0;
            if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
                bytes.clear();
                return ReadResult::Failed;
            }
            if (n == 0) return ReadResult::Ok;
            bytes.append(buffer, n);
        }
    } catch (const std::bad_alloc&) {
        // A file larger than the 32-bit address space can hold is no configuration file.
        std::string().swap(bytes);
        return ReadResult::Failed;
    }
}

FileView::~FileView() {
    if (data_ != nullptr) UnmapViewOfFile(data_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
}

ReadResult FileView::Open(const std::string& path) {
    FileHandle file;
    LARGE_INTEGER size{};
    if (const ReadResult opened = OpenForReading(path, file, size); opened != ReadResult::Ok)
        return opened;
    if (size.QuadPart == 0) return ReadResult::Ok;  // an empty file cannot be mapped
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) return ReadResult::Failed;
    mapping_ = CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_ == nullptr) return ReadResult::Failed;
    data_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    if (data_ == nullptr) return ReadResult::Failed;
    size_ = static_cast<size_t>(size.QuadPart);
    return ReadResult::Ok;
}

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring target = WidePath(path);
    if (target.empty()) return WriteOutcome::Failed;
    // Windows refuses to replace a read-only file; Wine does not, so the attribute is checked
    // first. The attribute is never cleared: a read-only file is the user's wish.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return WriteOutcome::Failed;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return WriteOutcome::ReadOnlyFile;
    const size_t cut = target.find_last_of(L"\\/:");
    const std::wstring folder =
        cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
    RemoveStaleTempFiles(folder);

    static unsigned counter = 0;
    std::wstring temp;
    FileHandle file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        const unsigned seed =
            (GetCurrentProcessId() << 16) ^ GetTickCount() ^ (++counter * 0x9E3779B9u);
        temp = folder + TempName(seed);
        file.Reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) break;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) continue;
        // A folder that refuses new files may still hold a file that can be written.
        if (exists && error == ERROR_ACCESS_DENIED) return RewriteInPlace(target, bytes);
        return OutcomeOf(error);
    }
    if (!file) return WriteOutcome::Failed;

    bool ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    if (!ok) {
        DeleteFileW(temp.c_str());
        return WriteOutcome::Failed;
    }
    if (!exists) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            return WriteOutcome::Written;
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        return OutcomeOf(error);
    }
    if (ReplaceExisting(target, temp, attributes)) return WriteOutcome::Written;
    DeleteFileW(temp.c_str());
    return RewriteInPlace(target, bytes);
}

std::string FullPathForDisplay(const std::string& path) {
    std::wstring wide = WidePath(path);
    if (wide.starts_with(L"\\\\?\\UNC\\"))
        wide = L"\\\\" + wide.substr(8);
    else if (wide.starts_with(L"\\\\?\\"))
        wide = wide.substr(4);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n != 0) {
        std::wstring full(n, L'\0');
        const DWORD m = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
        if (m != 0 && m < n) wide = full.substr(0, m);
    }
    return WideToGbk(wide);
}

}  // namespace kelvra
