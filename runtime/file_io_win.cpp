#include <windows.h>

#include <memory>
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

void AtSaveStep(SaveStep step) {
    if (FileSeamsForTesting().atSaveStep) FileSeamsForTesting().atSaveStep(step);
}

// The full path of the file or folder an open handle has, as the system spells it: where it
// really lies, after every link on the way. Empty where the system cannot tell.
std::wstring FinalPathOf(HANDLE file) {
    const DWORD n = GetFinalPathNameByHandleW(file, nullptr, 0, VOLUME_NAME_DOS);
    if (n == 0) return {};
    std::wstring path(n, L'\0');
    const DWORD m = GetFinalPathNameByHandleW(file, path.data(), n, VOLUME_NAME_DOS);
    if (m == 0 || m >= n) return {};
    path.resize(m);
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void MarkForDeletion(HANDLE file) {
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
}

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

// "~kelvra-", eight hex digits and ".tmp": plainly ours, and with "peizhi.ini" replaced by it a
// path still fits the room the program leaves below MAX_PATH.
constexpr std::wstring_view kTempPrefix = L"~kelvra-";
constexpr std::wstring_view kTempSuffix = L".tmp";
constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
std::wstring TempName(unsigned seed) {
    std::wstring name(kTempPrefix);
    for (int shift = 28; shift >= 0; shift -= 4) name += kHexDigits[(seed >> shift) & 0xF];
    return name + std::wstring(kTempSuffix);
}

bool IsTempName(std::wstring_view name) {
    if (name.size() != kTempPrefix.size() + 8 + kTempSuffix.size() ||
        !name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix))
        return false;
    for (wchar_t c : name.substr(kTempPrefix.size(), 8))
        if (std::wstring_view(kHexDigits).find(c) == std::wstring_view::npos) return false;
    return true;
}

// Deletes a stale temporary file `name` of the folder that really lies at `here`. The name itself
// is opened, not what a link there leads to, sharing nothing: a live save, of this or another copy
// of the program, holds its own open until it is renamed, so the open succeeds only on an
// abandoned one. Under Wine a link to a file does not show as one and the open reaches the file
// it leads to: the file must lie in this folder under this name.
void RemoveIfStale(const std::wstring& here, const std::wstring& path, const wchar_t* name) {
    const FileHandle stale(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!stale) return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(stale.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return;
    if (!SamePath(FinalPathOf(stale.get()), here + name)) return;
    MarkForDeletion(stale.get());
}

// A save killed half-way leaves its temporary file: it goes at the next save in that folder.
void RemoveStaleTempFiles(const std::wstring& folder) {
    const FileHandle dir(CreateFileW(folder.empty() ? L"." : folder.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring here = dir ? FinalPathOf(dir.get()) : std::wstring();
    if (here.empty()) return;
    if (here.back() != L'\\') here += L'\\';
    WIN32_FIND_DATAW data;
    const std::wstring pattern =
        folder + std::wstring(kTempPrefix) + L"*" + std::wstring(kTempSuffix);
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (IsTempName(data.cFileName) &&
            (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                0)
            RemoveIfStale(here, folder + data.cFileName, data.cFileName);
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

// Opens an existing file, sharing everything, waiting a little while another program's sharing
// refuses the access. On failure the last error is the open's.
HANDLE OpenExisting(const std::wstring& path, DWORD access) {
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) Sleep(kSharingRetryMs);
        HANDLE h = CreateFileW(path.c_str(), access,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || attempt == kSharingRetries ||
            !IsSharingError(GetLastError()))
            return h;
    }
}

WriteOutcome OutcomeOf(DWORD error) {
    // A file that another program has mapped into its memory cannot be cut shorter.
    if (IsSharingError(error) || error == ERROR_USER_MAPPED_FILE)
        return WriteOutcome::HeldByOtherProgram;
    if (error == ERROR_ACCESS_DENIED) return WriteOutcome::NoPermission;
    return WriteOutcome::Failed;
}

bool WriteAt0(HANDLE file, std::string_view bytes) {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) && WriteAll(file, bytes) &&
           SetEndOfFile(file) && FlushFileBuffers(file);
}

// The file cannot be replaced but may be written: write it where it is, and put the old bytes back
// when that fails part-way.
WriteOutcome RewriteInPlace(const std::wstring& target, std::string_view bytes) {
    FileHandle file(OpenExisting(target, GENERIC_READ | GENERIC_WRITE));
    if (!file) return OutcomeOf(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return WriteOutcome::Failed;
    if (static_cast<unsigned long long>(size.QuadPart) > MAXDWORD) return WriteOutcome::TooLarge;
    const DWORD oldSize = static_cast<DWORD>(size.QuadPart);
    // The copy kept for putting the file back may not fit beside the new content: then nothing is
    // written.
    std::unique_ptr<char[]> old(new (std::nothrow) char[oldSize == 0 ? 1 : oldSize]);
    if (!old) return WriteOutcome::TooLarge;
    DWORD got = 0;
    if (oldSize != 0 &&
        (!ReadFile(file.get(), old.get(), oldSize, &got, nullptr) || got != oldSize))
        return WriteOutcome::Failed;
    if (WriteAt0(file.get(), bytes)) return WriteOutcome::Written;
    const DWORD error = GetLastError();
    WriteAt0(file.get(), {old.get(), oldSize});
    return OutcomeOf(error);
}

// Whether the file may be replaced now: a holder that does not share delete access prevents it.
bool CanReplace(const std::wstring& target) {
    const FileHandle file(OpenExisting(target, DELETE));
    return static_cast<bool>(file);
}

// Where a save writes: the file itself, also when the path given is a link to it.
struct SaveTarget {
    std::wstring path;
    bool exists = false;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    DWORD error = 0;  // why no file can be made where a link leads
};

// A name that no file answers to may still be a link that leads nowhere (its file moved away). On
// Windows the name shows as a reparse point; under Wine it shows as nothing, but it refuses a new
// file. A file made through the link, and gone again at once, tells where the link leads.
SaveTarget FindSaveTarget(const std::wstring& given) {
    SaveTarget target{given};
    target.attributes = GetFileAttributesW(given.c_str());
    if (target.attributes != INVALID_FILE_ATTRIBUTES &&
        (target.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        target.exists = true;
        return target;
    }
    FileHandle file(OpenExisting(given, FILE_READ_ATTRIBUTES));
    if (file || GetLastError() != ERROR_FILE_NOT_FOUND) {
        if (file) {
            const std::wstring path = FinalPathOf(file.get());
            if (!path.empty()) target.path = path;
        }
        target.attributes = GetFileAttributesW(target.path.c_str());
        target.exists = target.attributes != INVALID_FILE_ATTRIBUTES;
        return target;
    }
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    target.attributes = INVALID_FILE_ATTRIBUTES;
    file.Reset(CreateFileW(given.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                           CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
        // Any other refusal is the save's own file's to tell.
        if (GetLastError() != ERROR_FILE_EXISTS) return target;
        file.Reset(CreateFileW(given.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            target.error = GetLastError();
            return target;
        }
    }
    const std::wstring path = FinalPathOf(file.get());
    if (!path.empty()) target.path = path;
    // Wine says the file existed either way; one with bytes did, or another program made it.
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart == 0) {
        MarkForDeletion(file.get());  // the probe of CREATE_NEW goes at its close anyway
    } else {
        target.exists = true;
        target.attributes = GetFileAttributesW(target.path.c_str());
    }
    return target;
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
    AtSaveStep(SaveStep::TempFileWritten);
    return MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
}  // namespace

namespace {

ReadResult OpenFailure(DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ReadResult::Missing;
    return IsSharingError(error) ? ReadResult::Locked : ReadResult::Failed;
}

// Opens an existing file for reading, sharing everything, and tells its size (`wait`: a few short
// waits while a holder lets nobody read, as a save's write does).
ReadResult OpenForReading(const std::string& path, bool wait, FileHandle& file, size_t& size) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return ReadResult::Missing;
    file.Reset(wait ? OpenExisting(wide, GENERIC_READ)
                    : CreateFileW(wide.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return OpenFailure(GetLastError());
    LARGE_INTEGER bytes{};
    if (!GetFileSizeEx(file.get(), &bytes)) return ReadResult::Failed;
    if (static_cast<unsigned long long>(bytes.QuadPart) > SIZE_MAX / 2) return ReadResult::TooLarge;
    size = static_cast<size_t>(bytes.QuadPart);
    return ReadResult::Ok;
}

// Large enough that a read of a few hundred megabytes costs no more than one in a single call.
constexpr DWORD kReadChunkBytes = 1u << 20;

// Reads the `size` bytes the file had when it was opened: false when it ends sooner (cut short
// meanwhile) or the system cannot read on (the medium is gone).
bool ReadExactly(HANDLE file, char* into, size_t size) {
    for (size_t done = 0; done < size;) {
        const DWORD want =
            static_cast<DWORD>(size - done < kReadChunkBytes ? size - done : kReadChunkBytes);
        DWORD got = 0;
        if (!ReadFile(file, into + done, want, &got, nullptr) || got == 0) return false;
        done += got;
        if (done < size && FileSeamsForTesting().betweenReadChunks)
            FileSeamsForTesting().betweenReadChunks();
    }
    return true;
}

}  // namespace

FileLayerSeams& FileSeamsForTesting() {
    static FileLayerSeams seams;
    return seams;
}

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes) {
    bytes.clear();
    FileHandle file;
    size_t size = 0;
    if (const ReadResult opened = OpenForReading(path, true, file, size); opened != ReadResult::Ok)
        return opened;
    if (size > maxBytes) return ReadResult::TooLarge;
    bytes.resize(size);
    if (ReadExactly(file.get(), bytes.data(), size)) return ReadResult::Ok;
    std::string().swap(bytes);
    return ReadResult::Failed;
}

ReadResult FileView::Open(const std::string& path) {
    data_.reset();
    size_ = 0;
    FileHandle file;
    size_t size = 0;
    if (const ReadResult opened = OpenForReading(path, false, file, size); opened != ReadResult::Ok)
        return opened == ReadResult::Missing ? opened : ReadResult::Failed;
    if (size == 0) return ReadResult::Ok;
    std::unique_ptr<char[]> data(new (std::nothrow) char[size]);
    if (!data || !ReadExactly(file.get(), data.get(), size)) return ReadResult::Failed;
    data_ = std::move(data);
    size_ = size;
    return ReadResult::Ok;
}

std::wstring SaveTargetOf(const std::string& path) {
    const std::wstring given = WidePath(path);
    if (given.empty()) return given;
    const SaveTarget target = FindSaveTarget(given);
    return target.error != 0 ? std::wstring() : target.path;
}

namespace {

// The temporary file of a save, open until it has been renamed, sharing delete access only: the
// rename may take it, another copy's clean-up may not.
HANDLE CreateTempFile(const std::wstring& temp) {
    if (const DWORD refused = FileSeamsForTesting().tempFileError; refused != 0) {
        SetLastError(refused);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring given = WidePath(path);
    if (given.empty()) return WriteOutcome::Failed;
    const SaveTarget found = FindSaveTarget(given);
    if (found.error != 0) return OutcomeOf(found.error);
    const std::wstring& target = found.path;
    const bool exists = found.exists;
    const DWORD attributes = found.attributes;
    // Windows refuses to replace a read-only file; Wine does not, so the attribute is checked
    // first. The attribute is never cleared: a read-only file is the user's wish.
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
        file.Reset(CreateTempFile(temp));
        if (file) break;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) continue;
        // A folder that refuses new files may still hold a file that can be written.
        if (exists && error == ERROR_ACCESS_DENIED) return RewriteInPlace(target, bytes);
        return OutcomeOf(error);
    }
    if (!file) return WriteOutcome::Failed;
    AtSaveStep(SaveStep::TempFileMade);
    const auto discard = [&] {
        file.Close();
        DeleteFileW(temp.c_str());
    };

    if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
        discard();
        return WriteOutcome::Failed;
    }
    if (!exists) {
        AtSaveStep(SaveStep::TempFileWritten);
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            AtSaveStep(SaveStep::Replaced);
            return WriteOutcome::Written;
        }
        const DWORD error = GetLastError();
        discard();
        return OutcomeOf(error);
    }
    if (ReplaceExisting(target, temp, attributes)) {
        AtSaveStep(SaveStep::Replaced);
        return WriteOutcome::Written;
    }
    discard();
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
