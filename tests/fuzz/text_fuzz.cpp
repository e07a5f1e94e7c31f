// The text operations on arbitrary bytes: number reading, full-width folding, blank removal and
// the rate box's normal form. Each must keep the rules that the rest of the program relies on.
#include <cstdint>
#include <limits>
#include <string>

#include "config/rate_rules.h"
#include "ui/model/edit_rules.h"
#include "runtime/text.h"
#include "tests/fuzz/fuzz_input.h"

using namespace kelvra;

namespace {

// Walks `text` as the text operations do, a whole character at a time.
template <typename F>
void ForEachChar(std::string_view text, F&& f) {
    for (size_t i = 0; i < text.size(); i += GbkCharSize(text, i))
        f(text.substr(i, GbkCharSize(text, i)));
}

bool EndsOnWholeCharacter(std::string_view text) {
    size_t last = 0;
    for (size_t i = 0; i < text.size(); i += GbkCharSize(text, i)) last = i;
    return text.empty() || !IsIncompleteAt(text, last);
}

bool IsWellFormedGbk(std::string_view text) {
    for (size_t i = 0; i < text.size(); i += GbkCharSize(text, i))
        if (IsGbkLead(static_cast<unsigned char>(text[i])) && GbkCharSize(text, i) == 1)
            return false;
    return true;
}

void CheckRemoveAllBlanks(std::string_view text) {
    const std::string out = RemoveAllBlanks(text);
    FUZZ_CHECK(out.size() <= text.size());
    FUZZ_CHECK(out.find('\0') == std::string::npos);
    // A broken lead byte before a removed blank pairs with what follows it, or ends up last; GBK
    // text has none.
    if (IsWellFormedGbk(TextView(text))) {
        ForEachChar(out, [](std::string_view c) { FUZZ_CHECK(c != " " && c != "\xA1\xA1"); });
        FUZZ_CHECK(out.find(' ') == std::string::npos);
        FUZZ_CHECK(EndsOnWholeCharacter(out));
        FUZZ_CHECK(RemoveAllBlanks(out) == out);
    }

    // Between whole characters the removal works piece by piece.
    const std::string_view whole = TextView(text);
    size_t cut = 0;
    ForEachChar(whole.substr(0, whole.size() / 2), [&](std::string_view c) { cut += c.size(); });
    if (EndsOnWholeCharacter(whole.substr(0, cut)))
        FUZZ_CHECK(RemoveAllBlanks(whole.substr(0, cut)) + RemoveAllBlanks(whole.substr(cut)) ==
                   out);
}

void CheckFoldFullWidth(std::string_view text) {
    const std::string out = FoldFullWidth(text);
    FUZZ_CHECK(out.size() <= text.size());
    FUZZ_CHECK(EndsOnWholeCharacter(out));
    ForEachChar(out, [](std::string_view c) {
        if (c.size() < 2) return;
        const auto lead = static_cast<unsigned char>(c[0]),
                   trail = static_cast<unsigned char>(c[1]);
        FUZZ_CHECK(!(lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE));
        FUZZ_CHECK(
            !(lead == 0xA1 && (trail == 0xA1 || trail == 0xAB || trail == 0xEE || trail == 0xEF)));
    });
    FUZZ_CHECK(FoldFullWidth(out) == out);
}

void CheckNumbers(std::string_view text) {
    const int32_t n = TextToInt(text);
    const int64_t n64 = TextToInt64(text);
    // Both wrap like their accumulators, so the 32-bit reading is the low half of the 64-bit one.
    FUZZ_CHECK(n == static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(n64))));
    FUZZ_CHECK(TextToInt(FoldFullWidth(text)) == n);
    FUZZ_CHECK(TextToInt(IntToText(n)) == n);
    FUZZ_CHECK(TextToInt64(IntToText(n)) == n);

    const std::string rate = NormaliseRateText(text);
    FUZZ_CHECK(rate != "0" && rate != "-0");
    FUZZ_CHECK(rate.empty() || IntToText(TextToInt(rate)) == rate);
    FUZZ_CHECK(NormaliseRateText(rate) == rate);

    // A rate that counts in the total is never emptied when its box loses the focus, and far
    // from any overflow the rate box and the reader agree.
    if (n != 0) FUZZ_CHECK(!rate.empty());
    size_t digits = 0;
    for (char c : FoldFullWidth(text)) digits += c >= '0' && c <= '9';
    if (digits < 10) FUZZ_CHECK(TextToInt(rate) == n);
    if (digits < 19 &&
        (n64 > std::numeric_limits<int32_t>::max() || n64 < std::numeric_limits<int32_t>::min()))
        FUZZ_CHECK(TextToInt(rate) == (n64 > 0 ? std::numeric_limits<int32_t>::max()
                                               : std::numeric_limits<int32_t>::min()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckRemoveAllBlanks(text);
    CheckFoldFullWidth(text);
    CheckNumbers(text);
    return 0;
}
