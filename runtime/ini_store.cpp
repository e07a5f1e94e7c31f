#include "runtime/ini_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/encoding.h"
#include "runtime/text.h"

namespace kelvra::ini {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kLineBreak = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// In GBK a lead byte takes the next byte only when that byte can be a trail byte, so the bytes
// that shape the file (blanks, '=', ';', quotes, line breaks) are never swallowed by broken text.
// In UTF-8 no ASCII byte is ever part of another character: each byte stands for itself.
size_t CharSize(std::string_view s, size_t i, bool gbk) {
    return gbk ? GbkCharSize(s, i) : 1;
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b, bool gbk) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (static_cast<unsigned char>(a[i]) >= 0x80) {
            // Both names agree up to here, so this is a character boundary in both.
            const size_t n = CharSize(a, i, gbk);
            if (a.substr(i, n) != b.substr(i, n)) return false;
            i += n - 1;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool EndsWithLineBreak(std::string_view s) {
    return !s.empty() && (s.back() == '\r' || s.back() == '\n');
}

struct Line {
    size_t begin = 0;  // first byte of the text
    size_t end = 0;    // first byte of the line break, or the end of the content
    size_t next = 0;   // first byte after the line break
};

// memchr, a machine word at a time: the C runtime the Windows build links has a byte-wise one,
// and a hostile file of 50 MB is searched for line breaks twenty times at start-up.
const char* FindByte(const char* p, const char* end, char c) {
    using Word = uintptr_t;
    constexpr Word kOnes = static_cast<Word>(-1) / 0xFF;
    constexpr Word kHighs = kOnes * 0x80;
    const Word pattern = kOnes * static_cast<unsigned char>(c);
    while (p < end && reinterpret_cast<uintptr_t>(p) % sizeof(Word) != 0) {
        if (*p == c) return p;
        ++p;
    }
    for (; end - p >= static_cast<ptrdiff_t>(sizeof(Word)); p += sizeof(Word)) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        w ^= pattern;
        if (((w - kOnes) & ~w & kHighs) != 0) break;
    }
    for (; p < end; ++p)
        if (*p == c) return p;
    return nullptr;
}

// Splits content into lines. The positions of the next CR and the next LF are kept between
// lines, so content with only one kind of line break is still split in linear time.
class LineReader {
  public:
    LineReader(std::string_view content, size_t start) : content_(content), pos_(start) {}

    bool Next(Line& line) {
        if (pos_ >= content_.size()) return false;
        const size_t end = std::min(Find(nextCr_, '\r'), Find(nextLf_, '\n'));
        size_t next = end;
        if (end < content_.size()) {
            ++next;
            if (content_[end] == '\r' && next < content_.size() && content_[next] == '\n') ++next;
        }
        line = {pos_, end, next};
        pos_ = next;
        return true;
    }

  private:
    static constexpr size_t kUnknown = SIZE_MAX;

    size_t Find(size_t& cached, char c) {
        if (cached == kUnknown || cached < pos_) {
            const char* hit =
                FindByte(content_.data() + pos_, content_.data() + content_.size(), c);
            cached = hit ? static_cast<size_t>(hit - content_.data()) : content_.size();
        }
        return cached;
    }

    std::string_view content_;
    size_t pos_;
    size_t nextCr_ = kUnknown;
    size_t nextLf_ = kUnknown;
};

std::optional<std::string_view> HeaderName(std::string_view text, bool gbk) {
    text = Trim(text);
    if (text.empty() || text.front() != '[') return std::nullopt;
    size_t close = std::string_view::npos;
    for (size_t i = 1; i < text.size(); i += CharSize(text, i, gbk))
        if (text[i] == ']') close = i;
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> ParseEntry(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() == ';') return std::nullopt;
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Entry{Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))};
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Where the first section named `section` lies in the content, and the first line of `key` in it.
struct SectionScan {
    bool found = false;
    size_t begin = 0;     // its header line
    size_t end = 0;       // the next header line, or the end of the content
    size_t appendAt = 0;  // after the last key line, or after the header
    bool appendNeedsBreak = false;
    std::optional<Line> keyLine;
    Entry entry;
};

// `readOnly`: the caller only wants the key's line, so the scan ends there.
SectionScan Scan(std::string_view content, std::string_view section,
                 std::optional<std::string_view> key, bool gbk, bool readOnly = false) {
    SectionScan scan;
    LineReader lines(content, content.starts_with(kBom) ? kBom.size() : 0);
    Line line;
    while (lines.Next(line)) {
        const std::string_view text = content.substr(line.begin, line.end - line.begin);
        if (const auto name = HeaderName(text, gbk)) {
            if (scan.found) {
                scan.end = line.begin;
                return scan;
            }
            if (SameName(*name, section, gbk)) {
                scan.found = true;
                scan.begin = line.begin;
                scan.appendAt = line.next;
                scan.appendNeedsBreak = line.next == line.end;
            }
            continue;
        }
        if (!scan.found) continue;
        const auto entry = ParseEntry(text);
        if (!entry) continue;
        scan.appendAt = line.next;
        scan.appendNeedsBreak = line.next == line.end;
        if (key && !scan.keyLine && SameName(entry->key, *key, gbk)) {
            scan.keyLine = line;
            scan.entry = *entry;
            if (readOnly) return scan;
        }
    }
    scan.end = content.size();
    return scan;
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(value);
    return line;
}

}  // namespace

namespace {

std::string SetValueIn(std::string_view content, std::string_view section,
                       std::optional<std::string_view> key, std::optional<std::string_view> value,
                       bool gbk) {
    section = Trim(section);
    if (key) key = Trim(*key);
    const SectionScan scan = Scan(content, section, key, gbk);
    std::string out(content);

    if (!key) {
        if (scan.found) out.erase(scan.begin, scan.end - scan.begin);
        return out;
    }
    if (!value) {
        if (scan.keyLine) out.erase(scan.keyLine->begin, scan.keyLine->next - scan.keyLine->begin);
        return out;
    }
    if (scan.keyLine) {
        out.replace(scan.keyLine->begin, scan.keyLine->end - scan.keyLine->begin,
                    KeyLine(scan.entry.key, *value));
        return out;
    }
    if (scan.found) {
        std::string added = scan.appendNeedsBreak ? std::string(kLineBreak) : std::string();
        added.append(KeyLine(*key, *value)).append(kLineBreak);
        out.insert(scan.appendAt, added);
        return out;
    }
    const size_t bom = content.starts_with(kBom) ? kBom.size() : 0;
    if (content.size() > bom && !EndsWithLineBreak(content)) out.append(kLineBreak);
    out.append("[").append(section).append("]").append(kLineBreak);
    out.append(KeyLine(*key, *value)).append(kLineBreak);
    return out;
}

std::optional<std::string_view> FindValueIn(std::string_view content, std::string_view section,
                                            std::string_view key, bool gbk) {
    const SectionScan scan = Scan(content, Trim(section), Trim(key), gbk, true);
    if (!scan.keyLine) return std::nullopt;
    return Unquote(scan.entry.value);
}

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// The longest start of UTF-8 text of at most maxBytes bytes that ends on a whole character.
std::string_view ClipUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

// The program's sections, 奖项 and 中奖率, in UTF-8: Notepad saves UTF-8 without a byte-order mark.
// A GBK file that holds these bytes as a header names sections of its own, which the program never
// reads.
constexpr std::string_view kSectionsInUtf8[] = {"\xE5\xA5\x96\xE9\xA1\xB9",
                                                "\xE4\xB8\xAD\xE5\xA5\x96\xE7\x8E\x87"};
constexpr std::string_view kJiangInUtf8 = "\xE5\xA5\x96";  // 奖, in both names

bool Contains(std::string_view text, std::string_view piece) {
    const char* end = text.data() + text.size();
    for (const char* p = text.data(); (p = FindByte(p, end, piece.front())) != nullptr; ++p)
        if (std::string_view(p, static_cast<size_t>(end - p)).starts_with(piece)) return true;
    return false;
}

bool NamesASectionInUtf8(std::string_view file) {
    LineReader lines(file, 0);
    Line line;
    while (lines.Next(line)) {
        const auto name = HeaderName(file.substr(line.begin, line.end - line.begin), false);
        if (!name) continue;
        for (std::string_view section : kSectionsInUtf8)
            if (*name == section) return true;
    }
    return false;
}

std::optional<std::string_view> Utf8(std::optional<std::string_view> gbk, std::string& store) {
    if (!gbk) return std::nullopt;
    store = GbkToUtf8(*gbk);
    return std::string_view(store);
}

}  // namespace

std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                     std::string_view key) {
    const auto value = FindValueIn(content, section, key, true);
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::string SetValue(std::string_view content, std::string_view section,
                     std::optional<std::string_view> key, std::optional<std::string_view> value) {
    return SetValueIn(content, section, key, value, true);
}

FileEncoding DetectEncoding(std::string_view file) {
    if (file.starts_with(kBom)) return FileEncoding::Utf8;
    if (file.starts_with(kUtf16LeBom)) return FileEncoding::Utf16Le;
    if (file.starts_with(kUtf16BeBom)) return FileEncoding::Utf16Be;
    // Most files lack the bytes of 奖 in UTF-8, and GBK text is rarely valid UTF-8 for long: the
    // lines are read only after both.
    return Contains(file, kJiangInUtf8) && IsValidUtf8(file) && NamesASectionInUtf8(file)
               ? FileEncoding::Utf8
               : FileEncoding::Gbk;
}

std::optional<std::string> ReadFileValue(std::string_view file, std::string_view section,
                                         std::string_view key, size_t maxBytes) {
    const FileEncoding encoding = DetectEncoding(file);
    if (encoding == FileEncoding::Gbk) {
        const auto value = FindValueIn(file, section, key, true);
        if (!value) return std::nullopt;
        return std::string(ClipText(*value, maxBytes));
    }
    std::string utf8;
    if (encoding != FileEncoding::Utf8) {
        utf8 = Utf16ToUtf8(file.substr(2), encoding == FileEncoding::Utf16Be);
        file = utf8;
    }
    const auto value = FindValueIn(file, GbkToUtf8(section), GbkToUtf8(key), false);
    if (!value) return std::nullopt;
    // A character takes at most 4 bytes in UTF-8 and at least 1 in GBK: this is enough.
    const std::string gbk = Utf8ToGbk(ClipUtf8(*value, 4 * maxBytes));
    return std::string(ClipText(gbk, maxBytes));
}

std::string WriteFileValues(std::string_view file, std::string_view section,
                            std::span<const KeyWrite> writes) {
    const FileEncoding encoding = DetectEncoding(file);
    std::string content(file);
    if (encoding == FileEncoding::Gbk) {
        for (const KeyWrite& w : writes)
            content = SetValueIn(content, section, w.key, w.value, true);
        return content;
    }
    const bool utf16 = encoding != FileEncoding::Utf8;
    const bool bigEndian = encoding == FileEncoding::Utf16Be;
    // UTF-16 is edited as UTF-8 and turned back; an odd last byte stays where it was.
    const size_t odd = utf16 ? file.size() % 2 : 0;
    if (utf16) content = Utf16ToUtf8(file.substr(2, file.size() - 2 - odd), bigEndian);
    const std::string sectionUtf8 = GbkToUtf8(section);
    std::string keyUtf8, valueUtf8;
    for (const KeyWrite& w : writes) {
        const auto key = Utf8(w.key, keyUtf8);
        const auto value = Utf8(w.value, valueUtf8);
        content = SetValueIn(content, sectionUtf8, key, value, false);
    }
    if (!utf16) return content;
    return std::string(file.substr(0, 2)) + Utf8ToUtf16(content, bigEndian) +
           std::string(file.substr(file.size() - odd));
}

bool CanStore(std::string_view section, std::optional<std::string_view> key,
              std::optional<std::string_view> value) {
    const auto hasLineBreak = [](std::string_view s) {
        return s.find_first_of(kLineBreak) != std::string_view::npos;
    };
    // A name must end on a whole character: a lead byte before the closing bracket would take
    // the bracket as its trail byte, and the header written could never be read back.
    const std::string_view name = Trim(section);
    if (name.empty() || hasLineBreak(name) || ClipText(name, name.size()).size() != name.size())
        return false;
    if (key) {
        const std::string_view k = Trim(*key);
        if (k.empty() || hasLineBreak(k) || k.find('=') != std::string_view::npos ||
            k.front() == ';' || k.front() == '[')
            return false;
    }
    return !value || !hasLineBreak(*value);
}

std::string_view ClipText(std::string_view text, size_t maxBytes) {
    size_t i = 0;
    while (i < text.size() && !IsIncompleteAt(text, i)) {
        const size_t n = GbkCharSize(text, i);
        if (i + n > maxBytes) break;
        i += n;
    }
    return text.substr(0, i);
}

}  // namespace kelvra::ini
