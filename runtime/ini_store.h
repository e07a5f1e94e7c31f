#pragma once
// The INI file format of the program, on raw GBK bytes and without any file access.
//
// A line ends at CR LF, LF or a lone CR. A line whose first non-blank byte is '[' and that holds a
// ']' later on is a section header; the name is the text up to the last ']' of the line, blanks
// around it removed. A line whose first non-blank byte is ';' is a comment. Any other line holding
// '=' is a key line: the key is the text before the first '=', the value the text after it, both
// without their surrounding blanks. Lines before the first header belong to no section; other
// lines are kept and ignored. Blanks are space, tab, VT, FF and Ctrl-Z. A UTF-8 byte-order mark
// at the start of the content is skipped. NUL is an ordinary byte.
//
// Names match without regard to ASCII case; a double-byte character compares exactly, and a
// trail byte is never read as '[', ']' or a letter to fold. Query names are taken without their
// surrounding blanks. Only the first section of a name counts, and in it the first line of a key.
//
// A whole file is GBK unless it begins with a byte-order mark, or is valid UTF-8 without one and
// holds a header of the program's sections (奖项 or 中奖率) in UTF-8: then it is UTF-8, UTF-16LE or
// UTF-16BE, read as the text it holds and written back in the same encoding, with its mark or
// without (ReadFileValue, WriteFileValues). A file of ASCII alone is GBK, so what is added to it
// is GBK. Names and values given and returned are GBK in every case.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvra::ini {

// The value of `key` in `[section]` of the INI text `content`, as the Windows private-profile
// reader returns it: blanks around the value removed, one pair of enclosing double or single
// quotes removed (only when the value both starts and ends with the same quote). std::nullopt
// when the section or key is missing.
std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                     std::string_view key);

// Returns the new file content after a write. key == nullopt deletes the whole section (its header
// up to the next header); value == nullopt deletes the key's line. A missing section is appended
// at the end of the file, a missing key after the last key line of its section (right after the
// header when it has none), an existing key's line is rewritten as `key=value` with the key as
// stored and its own line break. Every other byte is kept. New lines end in CR LF; a final line
// without a line break gets one before anything is appended after it.
std::string SetValue(std::string_view content, std::string_view section,
                     std::optional<std::string_view> key, std::optional<std::string_view> value);

// Whether SetValue can store these names and value so that they read back: the section and key
// must not be blank, nothing may hold a line break, and the key may not hold '=' nor start with
// ';' or '['.
bool CanStore(std::string_view section, std::optional<std::string_view> key,
              std::optional<std::string_view> value);

enum class FileEncoding { Gbk, Utf8, Utf16Le, Utf16Be };
FileEncoding DetectEncoding(std::string_view file);

// The value of key in [section] of a whole file in its encoding, as GBK text cut by ClipText to
// maxBytes; only that much of the value is copied. std::nullopt when the section or key is
// missing.
std::optional<std::string> ReadFileValue(std::string_view file, std::string_view section,
                                         std::string_view key, std::size_t maxBytes);

// One write of SetValue: key == nullopt deletes the section, value == nullopt the key.
struct KeyWrite {
    std::optional<std::string_view> key;
    std::optional<std::string_view> value;
};
// The whole file after the writes, one after another, in the file's own encoding; every byte
// that no write touches is kept.
std::string WriteFileValues(std::string_view file, std::string_view section,
                            std::span<const KeyWrite> writes);

// The longest start of GBK `text` of at most `maxBytes` bytes that ends on a whole character; a
// lead byte left without its trail at the very end is dropped too.
std::string_view ClipText(std::string_view text, std::size_t maxBytes);

}  // namespace kelvra::ini
