// The INI writer on arbitrary content. Input: "section|key|value|other section|other key\n" and
// the content. Whatever the content held, a storable value written reads back, writing it again
// changes nothing, deleting it or its section removes something, and a key of another name keeps
// what it read before. As a whole file in any encoding its byte-order mark names, one save of
// several keys gives the bytes of the single writes one after another, and a save of nothing
// gives the file back unchanged.
#include <string>

#include "runtime/ini_store.h"
#include "tests/fuzz/fuzz_input.h"

using kelvra::ini::CanStore;
using kelvra::ini::FindValue;
using kelvra::ini::KeyWrite;
using kelvra::ini::SetValue;
using kelvra::ini::WriteFileValues;
using namespace kelvra::fuzz;

namespace {

// What a reader gives back for a stored value: no blanks around it, one pair of quotes removed.
std::string_view AsRead(std::string_view value) {
    value = TrimBlanks(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = SplitInput(data, size, 5);
    const std::string_view section = in.fields[0], key = in.fields[1], value = in.fields[2];
    const std::string_view otherSection = in.fields[3], otherKey = in.fields[4];
    const std::string_view content = in.content;

    // Deletes and writes of names the file cannot hold must not break on any content either.
    (void)SetValue(content, section, std::nullopt, std::nullopt);
    (void)SetValue(content, section, key, std::nullopt);
    FUZZ_CHECK(WriteFileValues(content, section, {}) == content);
    if (!CanStore(section, key, value)) return 0;

    if (CanStore(section, otherKey, otherSection)) {
        const KeyWrite writes[] = {{key, value}, {otherKey, otherSection}, {key, std::nullopt}};
        std::string one = std::string(content);
        for (const KeyWrite& w : writes) one = WriteFileValues(one, section, {&w, 1});
        FUZZ_CHECK(WriteFileValues(content, section, writes) == one);
    }

    const std::string written = SetValue(content, section, key, value);
    const std::optional<std::string> readBack = FindValue(written, section, key);
    FUZZ_CHECK(readBack.has_value());
    FUZZ_CHECK(*readBack == AsRead(value));
    FUZZ_CHECK(SetValue(written, section, key, value) == written);
    // The key and its section now exist, so deleting either removes something.
    FUZZ_CHECK(SetValue(written, section, key, std::nullopt).size() < written.size());
    FUZZ_CHECK(SetValue(written, section, std::nullopt, std::nullopt).size() < written.size());

    if (DifferWhateverTheCase(TrimBlanks(section), TrimBlanks(otherSection)) ||
        DifferWhateverTheCase(TrimBlanks(key), TrimBlanks(otherKey)))
        FUZZ_CHECK(FindValue(written, otherSection, otherKey) ==
                   FindValue(content, otherSection, otherKey));
    return 0;
}
