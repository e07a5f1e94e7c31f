#pragma once
// Whole-file reads and crash-safe whole-file writes. Paths are GBK byte strings.

#include <string>
#include <string_view>

namespace kelvra {

enum class ReadResult { Ok, Missing, Failed };

// Missing when the file or its folder does not exist; Failed when it exists but cannot be read
// (a folder, no permission, an I/O error). `bytes` is empty unless the result is Ok.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

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
