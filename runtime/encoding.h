#pragma once
// The one place where text changes encoding: GBK (code page 936) inside the program, UTF-16 at
// the Windows API, and UTF-8 or UTF-16 in a configuration file that an editor saved that way.

#include <string>
#include <string_view>

namespace kelvra {

#ifdef _WIN32
std::wstring GbkToWide(std::string_view gbk);
// Characters that GBK cannot hold come out as '?'; `lossy` (when given) tells whether any did.
std::string WideToGbk(std::wstring_view wide, bool* lossy = nullptr);
// Whether every character of `wide` has a GBK form.
bool FitsGbk(std::wstring_view wide);
#endif

// GBK <-> UTF-8. Bytes that are no GBK character and characters GBK cannot hold become '?'; so
// does a lone surrogate (the three-byte form Utf16ToUtf8 gives it), one '?' each.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// Whether `text` is UTF-8 as the standard allows it: no overlong forms, no surrogates, nothing
// beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

namespace detail {
// Each platform's converter, given UTF-8 without surrogate forms.
std::string Utf8ToGbkPiece(std::string_view utf8);
}  // namespace detail

// UTF-16 code units as bytes (little- or big-endian) <-> UTF-8, without loss in either direction:
// a lone surrogate takes the three-byte form it would have as a character, and an odd last byte
// is kept apart by the caller. Only the UTF-8 that Utf16ToUtf8 makes, with valid UTF-8 inserted,
// is given back to Utf8ToUtf16.
std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian);
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);

}  // namespace kelvra
