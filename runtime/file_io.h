#pragma once
// Whole-file reads and crash-safe whole-file writes. Paths are GBK byte strings.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelvra {

enum class ReadResult { Ok, Missing, Failed, Locked, TooLarge };

// Missing when the file or its folder does not exist; Locked when another program holds it open
// and lets nobody read, also after a few short waits; TooLarge when it holds more than maxBytes
// (told before anything is allocated); Failed when it exists but cannot be read otherwise (a
// folder, no permission, an I/O error, cut short or gone during the read). `bytes` is empty unless
// the result is Ok.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes);

// A whole file's bytes, read for a reader that looks for one value. Read, not mapped: a mapped
// view faults where the file was cut short or its medium (a USB stick, a network drive) went
// during the read, and that fault ends the program; a read that cannot complete fails.
class FileView {
  public:
    FileView() = default;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    // Missing and Failed as for ReadWholeFile (a file cut short during the read is Failed); an
    // empty file gives Ok and an empty view.
    ReadResult Open(const std::string& path);
    std::string_view bytes() const { return {data_.get(), size_}; }

  private:
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
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
// its old bytes back. A path that is a link writes the file the link leads to, and makes it there
// when the link leads nowhere; the link stays. Temporary files that an earlier, killed save left
// in the folder go first (plain files of that folder only: a link of such a name and what it
// leads to stay); one that another running copy of the program is writing stays. On any failure
// `path` is left as it was (never torn, never empty) and no temporary file stays.
WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes);

// The full path of the file `path` names, as GBK text for telling the operator.
std::string FullPathForDisplay(const std::string& path);

#ifdef _WIN32
// The file a save of `path` writes, as the system spells its full path: `path` itself, or the file
// a link there leads to, also when that file is not there yet. Empty when the link leads into a
// folder that is not there.
std::wstring SaveTargetOf(const std::string& path);

// The moments of a save that the seams below name.
enum class SaveStep {
    TempFileMade,     // the temporary file is there, empty
    TempFileWritten,  // it holds the new bytes on disk and is about to replace the file
    Replaced,         // it has replaced the file
};

// Seams for the tests: a moment a test must catch is made certain here rather than waited for,
// and a refusal of the system it cannot cause (a folder that refuses new files to root) is
// given here. All empty in the program.
struct FileLayerSeams {
    std::function<void()> betweenReadChunks;  // a read has more chunks to go
    std::function<void(SaveStep)> atSaveStep;
    unsigned long tempFileError = 0;  // when not 0, making a temporary file fails with it
};
FileLayerSeams& FileSeamsForTesting();
#else
// The host build's spelling of a program path: '\' separators become '/', except a 0x5C that is
// the trail byte of a double-byte character.
std::string HostPath(std::string_view path);
#endif

}  // namespace kelvra
