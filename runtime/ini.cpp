#include "runtime/ini.h"

#include "runtime/ini_store.h"
#include "runtime/file_io.h"

namespace kelvra {

namespace {

// The reader's buffer holds 10240 bytes, the terminating NUL included.
constexpr size_t kMaxValueBytes = 10239;

// Texts end at their first NUL.
std::string_view Text(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

std::string_view SkipLeadingControls(std::string_view s) {
    s = Text(s);
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
    return s;
}

std::optional<std::string_view> Text(std::optional<std::string_view> s) {
    if (s) return Text(*s);
    return std::nullopt;
}

}  // namespace

std::string IniReadText(std::string_view file, std::string_view section, std::string_view key,
                        std::optional<std::string_view> def) {
    file = SkipLeadingControls(file);
    section = SkipLeadingControls(section);
    key = SkipLeadingControls(key);
    if (file.empty() || section.empty() || key.empty()) return {};

    FileView content;
    std::optional<std::string> value;
    if (content.Open(std::string(file)) == ReadResult::Ok)
        value = ini::FindValue(content.bytes(), section, key);
    const std::string_view result = value ? std::string_view(*value) : Text(def).value_or("");
    return std::string(ini::ClipText(Text(result), kMaxValueBytes));
}

bool IniWriteText(std::string_view file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value) {
    const std::string path(Text(file));
    section = Text(section);
    key = Text(key);
    value = Text(value);
    if (path.empty() || !ini::CanStore(section, key, value)) return false;

    std::string old;
    if (ReadWholeFile(path, old) == ReadResult::Failed) return false;
    const std::string updated = ini::SetValue(old, section, key, value);
    // Nothing changed (a value rewritten as it was, or a delete of what is not there): the file is
    // left alone, and a missing file stays missing.
    if (updated == old) return true;
    return ReplaceFileContents(path, updated);
}

}  // namespace kelvra
