#pragma once
// Whole-file reads and crash-safe whole-file writes. Paths are GBK byte strings.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvra {

enum class ReadResult { Ok, Missing, Failed, Locked, TooLarge };

// Missing when the file or its folder does not exist; Locked when another program holds it open
// and lets nobody read, also after a few short waits; TooLarge when it holds more than maxBytes
// (told before anything is allocated); Failed when it exists but cannot be read otherwise (a
// folder, no permission, an I/O error). `bytes` is empty unless the result is Ok.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes);

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

// Why a write did not happen, in the words the operator is told.
enum class WriteOutcome {
    Written,
    ReadOnlyFile,        // the file is marked read-only (never overwritten)
    HeldByOtherProgram,  // another program has it open and lets nobody write
    NoPermission,        // the folder (and the file) may not be written: a protected folder
    TooLarge,            // the file is too large to be read into memory for an edit
    Failed,              // anything else: a missing folder, a full disk, an I/O error
};

// Writes bytes to a temporary file in the same folder, flushes it to disk, then replaces `path`
// with it in one step, keeping the file's attributes, owner and security. When the replace
// cannot be done but the file can be written (held open elsewhere with write sharing, a folder
// that refuses new files), the file is rewritten in place, and on a failure in the middle gets
// its old bytes back. A path that is a link writes the file the link leads to; the link stays.
// Temporary files that an earlier, killed save left in the folder go first; one that another
// running copy of the program is writing stays. On any failure `path` is left as it was (never
// torn, never empty) and no temporary file stays.
WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes);

// The full path of the file `path` names, as GBK text for telling the operator.
std::string FullPathForDisplay(const std::string& path);

#ifndef _WIN32
// The host build's spelling of a program path: '\' separators become '/', except a 0x5C that is
// the trail byte of a double-byte character.
std::string HostPath(std::string_view path);
#endif

}  // namespace kelvra
