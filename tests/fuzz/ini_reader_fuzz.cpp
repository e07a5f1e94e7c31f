// The INI reader on arbitrary content. Input: "section|key\n" and the content. Besides surviving
// the content, a lookup must not depend on what the format says does not count: a byte-order
// mark, the kind of line break, blanks and ASCII case in the names, lines after the one found.
#include <string>

#include "runtime/ini_store.h"
#include "tests/fuzz/fuzz_input.h"

using kelvra::ini::FindValue;
using namespace kelvra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = SplitInput(data, size, 2);
    const std::string_view section = in.fields[0];
    const std::string_view key = in.fields[1];
    const std::string content(in.content);
    const std::optional<std::string> value = FindValue(content, section, key);

    if (value) {
        FUZZ_CHECK(value->find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(content.find(*value) != std::string::npos);
        FUZZ_CHECK(FindValue(content + "\n" + content, section, key) == value);
    }
    if (!content.starts_with("\xEF\xBB\xBF"))
        FUZZ_CHECK(FindValue("\xEF\xBB\xBF" + content, section, key) == value);

    std::string lf = content;
    for (char& c : lf)
        if (c == '\r') c = '\n';
    FUZZ_CHECK(FindValue(lf, section, key) == value);

    const std::string padded = " \t" + std::string(section) + "\x1A";
    FUZZ_CHECK(FindValue(content, padded, "\f" + std::string(key) + " ") == value);
    FUZZ_CHECK(FindValue(content, SwapAsciiCase(section), SwapAsciiCase(key)) == value);
    return 0;
}
