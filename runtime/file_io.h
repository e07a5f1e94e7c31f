#pragma once
// Whole-file reads and crash-safe whole-file writes. Paths are GBK byte strings.

#include <string>
#include <string_view>

namespace kelvra {

enum class ReadResult { Ok, Missing, Failed };

// Missing when the file or its folder does not exist; Failed when it exists but cannot be read
// (a folder, no permission, an I/O error). `bytes` is empty unless the result is Ok.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// A read-only view of a whole file, mapped rather than copied: a reader that only looks for one
// value does not pay for copying a large file. The view stays valid while the object lives.
class FileView {
  public:
    FileView() = default;
    ~FileView();
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    // Missing and Failed as for ReadWholeFile; an empty file gives Ok and an empty view.
    ReadResult Open(const std::string& path);
    std::string_view bytes() const { return {data_, size_}; }

  private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    [[maybe_unused]] void* mapping_ = nullptr;  // the platform's mapping handle, where it has one
};

// Writes bytes to a temporary file in the same folder, flushes it to disk, then replaces `path`
// in one step. On any failure returns false, removes the temporary file and leaves `path` as it
// was (never torn, never empty). A read-only file is not replaced.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

#ifndef _WIN32
// The host build's spelling of a program path: '\' separators become '/', except a 0x5C that is
// the trail byte of a double-byte character.
std::string HostPath(std::string_view path);
#endif

}  // namespace kelvra
