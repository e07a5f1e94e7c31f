#include "runtime/ini.h"

#include <vector>

#include "runtime/file_io.h"
#include "runtime/ini_store.h"

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
    return IniReader(file).Read(section, key, def);
}

IniReader::IniReader(std::string_view file) : file_(SkipLeadingControls(file)) {}

std::string IniReader::Read(std::string_view section, std::string_view key,
                            std::optional<std::string_view> def) {
    section = SkipLeadingControls(section);
    key = SkipLeadingControls(key);
    if (file_.empty() || section.empty() || key.empty()) return {};

    if (!read_) read_ = content_.Open(file_) == ReadResult::Ok;
    std::optional<std::string> value;
    if (read_) value = ini::ReadFileValue(content_.bytes(), section, key, kMaxValueBytes);
    const std::string_view result = value ? std::string_view(*value) : Text(def).value_or("");
    return std::string(ini::ClipText(Text(result), kMaxValueBytes));
}

namespace {

WriteOutcome WriteSection(const std::string& path, std::string_view section,
                          std::span<const ini::KeyWrite> writes) {
    if (path.empty()) return WriteOutcome::Failed;
    for (const ini::KeyWrite& w : writes)
        if (!ini::CanStore(section, w.key, w.value)) return WriteOutcome::Failed;
    std::string old;
    switch (ReadWholeFile(path, old, kMaxEditedFileBytes)) {
        case ReadResult::Ok:
        case ReadResult::Missing:
            break;
        case ReadResult::Locked:
            return WriteOutcome::HeldByOtherProgram;
        case ReadResult::TooLarge:
            return WriteOutcome::TooLarge;
        case ReadResult::Failed:
            return WriteOutcome::Failed;
    }
    const std::string updated = ini::WriteFileValues(old, section, writes);
    // Nothing changed (a value rewritten as it was, or a delete of what is not there): the file is
    // left alone, and a missing file stays missing.
    if (updated == old) return WriteOutcome::Written;
    return ReplaceFileContents(path, updated);
}

}  // namespace

bool IniWriteText(std::string_view file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value) {
    const ini::KeyWrite write{Text(key), Text(value)};
    return WriteSection(std::string(Text(file)), Text(section), {&write, 1}) ==
           WriteOutcome::Written;
}

WriteOutcome IniWriteSection(std::string_view file, std::string_view section,
                             std::span<const std::pair<std::string, std::string>> keyValues) {
    std::vector<ini::KeyWrite> writes;
    writes.reserve(keyValues.size());
    for (const auto& [key, value] : keyValues)
        writes.push_back({Text(std::string_view(key)), Text(std::string_view(value))});
    return WriteSection(std::string(Text(file)), Text(section), writes);
}

}  // namespace kelvra
