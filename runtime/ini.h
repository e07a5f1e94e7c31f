#pragma once
// Reading and writing one value of an INI file, with the rules of the Windows private-profile
// functions (see runtime/ini_store.h for the format).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/file_io.h"

namespace kelvra {

// From each of file, section, key skip leading bytes 0x01..0x20; if any is then empty return
// "" without touching the file. Otherwise the value (or `def`, "" when omitted, also when the
// file cannot be read) cut to at most 10239 bytes, never ending in half a double-byte character.
std::string IniReadText(std::string_view file, std::string_view section, std::string_view key,
                        std::optional<std::string_view> def = std::nullopt);

// Values read as IniReadText reads them, from one reading of the file: the values of one table
// come from one version of it, and the file is read once rather than once a value. A file that
// could not be read is tried again at the next value.
class IniReader {
  public:
    explicit IniReader(std::string_view file);
    std::string Read(std::string_view section, std::string_view key,
                     std::optional<std::string_view> def = std::nullopt);

  private:
    std::string file_;
    FileView content_;
    bool read_ = false;
};

// Sets the value of key in [section]; an omitted key deletes the section, an omitted value the
// key. Creates the file when missing (not for a delete). Names are not trimmed here. Returns true
// on success; false on any failure, with the old file intact. A section or key the file cannot
// hold (see ini::CanStore) is a failure.
bool IniWriteText(std::string_view file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value);

// The largest file a write edits. The edit holds the old content, the new one and the copies made
// on the way (a UTF-16 file is edited as UTF-8: up to about five times the file), and the in-place
// rewrite another copy of the old bytes; at this size they fit in a 32-bit program's address
// space wherever its libraries lie. A configuration file is a few hundred bytes.
constexpr size_t kMaxEditedFileBytes = size_t{128} << 20;

// Sets several keys of [section] in one write of the file: it ends byte for byte as the same
// IniWriteText calls one after another would leave it. Nothing is written unless every pair can
// be stored (a refusal is Failed), and nothing when no byte changes. A file larger than
// kMaxEditedFileBytes is TooLarge, found before anything is allocated for it.
WriteOutcome IniWriteSection(std::string_view file, std::string_view section,
                             std::span<const std::pair<std::string, std::string>> keyValues);

}  // namespace kelvra
