#pragma once
// What the name and rate boxes take, apart from any window. A name box holds at most its limit
// in GBK bytes and only characters GBK has; a rate box holds digits and '-' up to its limit in
// characters. Texts are UTF-16, as the edit control holds them.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra {

// GBK bytes of one UTF-16 unit: 1 or 2, or 0 when GBK has no such character.
using GbkWidthFn = int (*)(char16_t c);

struct BoxRules {
    bool integerInput = false;
    int32_t maxLength = 0;  // 0: no limit of the program's own
    GbkWidthFn gbkWidth = nullptr;
};

// Whether a typed character goes in (control characters are the edit control's own business).
bool AcceptsChar(const BoxRules& rules, char16_t c);
// Whether a whole text obeys the box's rules.
bool AcceptsText(const BoxRules& rules, std::u16string_view text);
// Whether the box takes a change from `from` to `to`: a result that obeys the rules, or one that
// only takes away or swaps in acceptable characters without growing, so that a text the program
// put in beyond the typing limit can still be shortened by hand.
bool AcceptsChange(const BoxRules& rules, std::u16string_view from, std::u16string_view to);
// The longest start of the clipboard's first line that the box takes in place of the
// selection [start, end) of `text`.
std::u16string PastedPiece(const BoxRules& rules, std::u16string_view text, size_t start,
                           size_t end, std::u16string_view clip);

// The text a rate box holds after losing the focus, from its GBK text with the full-width forms
// folded (FoldFullWidth): leading white space, an optional sign and the digits up to the first
// other byte, read in 64 bits (saturating), clamped to int32 and written in decimal; 0 becomes the
// empty text.
std::string NormaliseRateText(std::string_view gbk);

}  // namespace kelvra
