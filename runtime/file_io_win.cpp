#include <windows.h>

#include <new>

#include "runtime/encoding.h"
#include "runtime/file_io.h"

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
std::wstring TempName(unsigned seed) {
    std::wstring name = L"~kv";
    for (int shift = 28; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(seed >> shift) & 0xF];
    return name + L".tmp";
}

}  // namespace

namespace {

// Opens an existing file for reading, sharing everything, and tells its size.
ReadResult OpenForReading(const std::string& path, FileHandle& file, LARGE_INTEGER& size) {
    const std::wstring wide = GbkToWide(path);
    if (wide.empty()) return ReadResult::Missing;
    file.Reset(CreateFileW(wide.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                              : ReadResult::Failed;
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

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring target = GbkToWide(path);
    if (target.empty()) return false;
    // Windows refuses to move onto a read-only file; Wine does not, so the attribute is checked
    // first. The attribute is never cleared: a read-only file is the user's wish.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    const size_t cut = target.find_last_of(L"\\/:");
    const std::wstring folder =
        cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);

    static unsigned counter = 0;
    std::wstring temp;
    FileHandle file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        const unsigned seed =
            (GetCurrentProcessId() << 16) ^ GetTickCount() ^ (++counter * 0x9E3779B9u);
        temp = folder + TempName(seed);
        file.Reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (!file) return false;

    bool ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

}  // namespace kelvra
