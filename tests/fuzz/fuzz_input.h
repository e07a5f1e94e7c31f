#pragma once
// What the harnesses share: a check that stops the fuzzer, and the split of an input into the
// names on its first line and the INI content after it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text.h"

#define FUZZ_CHECK(condition)               \
    do {                                    \
        if (!(condition)) __builtin_trap(); \
    } while (0)

namespace kelvra::fuzz {

using kelvra::GbkCharSize;

// "field|field|...\n" then the content. Missing fields are empty; the last field keeps any
// further '|'. An input without '\n' is all content.
struct Input {
    std::vector<std::string_view> fields;
    std::string_view content;
};

inline Input SplitInput(const uint8_t* data, size_t size, size_t fieldCount) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    Input in;
    const size_t eol = all.find('\n');
    std::string_view head = eol == std::string_view::npos ? std::string_view() : all.substr(0, eol);
    in.content = eol == std::string_view::npos ? all : all.substr(eol + 1);
    for (size_t i = 0; i < fieldCount; ++i) {
        const size_t bar = i + 1 < fieldCount ? head.find('|') : std::string_view::npos;
        in.fields.push_back(head.substr(0, bar));
        head = bar == std::string_view::npos ? std::string_view() : head.substr(bar + 1);
    }
    return in;
}

// Swaps the case of each ASCII letter that is a character of its own, leaving the trail bytes of
// double-byte characters alone: the INI names compare without regard to that case.
inline std::string SwapAsciiCase(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); i += GbkCharSize(out, i)) {
        const auto c = static_cast<unsigned char>(out[i]);
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') out[i] = static_cast<char>(c ^ 0x20);
    }
    return out;
}

// The INI blanks around a name or value do not count.
inline std::string_view TrimBlanks(std::string_view s) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
    };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Whether two names differ even with every ASCII letter folded: then no INI lookup can take one
// for the other.
inline bool DifferWhateverTheCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return true;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        if (fold(a[i]) != fold(b[i])) return true;
    }
    return false;
}

}  // namespace kelvra::fuzz
