#include "runtime/encoding.h"

#include <cstdint>
#include <cstring>

namespace kelvra {

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendUnit(std::string& out, uint32_t unit, bool bigEndian) {
    const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
}

// The three-byte form of a surrogate: ED A0..BF 80..BF.
bool IsSurrogateFormAt(std::string_view s, size_t i) {
    return i + 2 < s.size() && static_cast<unsigned char>(s[i]) == 0xED &&
           static_cast<unsigned char>(s[i + 1]) >= 0xA0 &&
           (static_cast<unsigned char>(s[i + 2]) & 0xC0) == 0x80;
}

}  // namespace

// Left to the platform, the three bytes of a surrogate form are bad UTF-8: Wine makes two '?' of
// them, glibc one.
std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    size_t start = 0;
    for (size_t i = utf8.find('\xED'); i != std::string_view::npos; i = utf8.find('\xED', i + 1)) {
        if (!IsSurrogateFormAt(utf8, i)) continue;
        out += detail::Utf8ToGbkPiece(utf8.substr(start, i - start));
        out += '?';
        start = i + 3;
        i += 2;
    }
    out += detail::Utf8ToGbkPiece(utf8.substr(start));
    return out;
}

bool IsValidUtf8(std::string_view text) {
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            // A long file is mostly ASCII: eight bytes at a time.
            for (uint64_t w; size - i >= sizeof w; i += sizeof w) {
                std::memcpy(&w, text.data() + i, sizeof w);
                if ((w & 0x8080808080808080u) != 0) break;
            }
            continue;
        }
        // The lead byte fixes the length and the range of the second byte, which rules out
        // overlong forms, surrogates and code points beyond U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length) return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high) return false;
        for (size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian) {
    const size_t units = utf16.size() / 2;
    const auto unit = [&](size_t k) {
        const auto a = static_cast<unsigned char>(utf16[2 * k]);
        const auto b = static_cast<unsigned char>(utf16[2 * k + 1]);
        return bigEndian ? uint32_t(a << 8 | b) : uint32_t(b << 8 | a);
    };
    std::string out;
    out.reserve(utf16.size() + utf16.size() / 2);
    for (size_t k = 0; k < units; ++k) {
        const uint32_t u = unit(k);
        if (u >= 0xD800 && u < 0xDC00 && k + 1 < units) {
            const uint32_t low = unit(k + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian) {
    std::string out;
    out.reserve(utf8.size() * 2);
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (i + n > utf8.size()) break;
        uint32_t code = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
        for (size_t k = 1; k < n; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        if (code >= 0x10000) {
            AppendUnit(out, 0xD800 + ((code - 0x10000) >> 10), bigEndian);
            AppendUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUnit(out, code, bigEndian);
        }
    }
    return out;
}

}  // namespace kelvra
