#include "runtime/ini_store.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvra::ini {
namespace {

// GBK characters written as bytes, so that the tests mean the same whatever the compiler's
// execution character set is.
#define XI "\x87\x5C"              // 嘰, trail byte '\'
#define XIAO "\x87\x5B"            // 嘯, trail byte '['
#define KUI "\x87\x5D"             // 嘳, trail byte ']'
#define JIA "\x8A\x41"             // 夾, trail byte 'A'
#define LUAN "\x8A\x61"            // 奱, the same lead byte with trail byte 'a'
#define PRIZES "\xBD\xB1\xCF\xEE"  // 奖项
#define NEW "\xD0\xC2"             // 新
#define BOM "\xEF\xBB\xBF"

using std::nullopt;
using namespace std::string_literals;

struct FindCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

const FindCase kFindCases[] = {
    {"plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
    {"blanks around value removed, inner kept", "[s]\r\nk = \t v w \t\r\n", "s", "k", "v w"},
    {"blanks around header name and key", "  [ s ]  \r\n  k  =v\r\n", "s", "k", "v"},
    {"query names trimmed", "[s]\nk=v\n", " s\t", " k ", "v"},
    {"ctrl-z, VT and FF are blanks", "[s]\nk=\x1A\v v\f\x1A\n", "s", "k", "v"},
    {"double quotes removed", "[s]\nk=\"a b\"\n", "s", "k", "a b"},
    {"single quotes removed", "[s]\nk='a b'\n", "s", "k", "a b"},
    {"quoted blanks kept", "[s]\nk=  \" sp \"  \n", "s", "k", " sp "},
    {"junk after the closing quote keeps the quotes", "[s]\nk = \"value\" junk\n", "s", "k",
     "\"value\" junk"},
    {"mismatched quotes kept", "[s]\nk=\"v'\n", "s", "k", "\"v'"},
    {"lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
    {"empty quotes give empty", "[s]\nk=\"\"\n", "s", "k", ""},
    {"value keeps later equals signs", "[s]\nk=a=b\n", "s", "k", "a=b"},
    {"ASCII case ignored", "[SeC]\nKeY=v\n", "sEc", "kEy", "v"},
    {"missing section", "[s]\nk=v\n", "t", "k", nullopt},
    {"missing key", "[s]\nk=v\n", "s", "j", nullopt},
    {"key of another section", "[a]\nk=1\n[b]\nj=2\n", "b", "k", nullopt},
    {"key before any header", "k=v\n[s]\n", "s", "k", nullopt},
    {"comment is no key", "[s]\n;k=v\n  ;j=w\n", "s", ";k", nullopt},
    {"comment does not hide the key", "[s]\n;k=1\nk=2\n", "s", "k", "2"},
    {"line without equals sign ignored", "[s]\nk\njunk line\nk=v\n", "s", "k", "v"},
    {"first of duplicate sections", "[s]\na=1\n[s]\nb=2\n", "s", "b", nullopt},
    {"first of duplicate keys", "[s]\nk=1\nK=2\n", "s", "k", "1"},
    {"BOM before the first header", BOM "[s]\r\nk=v\r\n", "s", "k", "v"},
    {"CR-only line ends", "[a]\rk=1\r[s]\rk=v\r", "s", "k", "v"},
    {"LF CR is two line ends", "[s]\n\rk=v\n\r", "s", "k", "v"},
    {"no final newline", "[s]\r\nk=v", "s", "k", "v"},
    {"header ends at its last closing bracket", "[x] ; c]y\nk=1\n", "x] ; c", "k", "1"},
    {"opening bracket without a closing one is no header", "[s]\n[t\nk=v\n", "s", "k", "v"},
    {"NUL is an ordinary byte", "[s]\0\nk=a\0b\n"s, "s", "k", "a\0b"s},
    {"GBK section and key", "[" PRIZES "]\r\n" PRIZES "1=x\r\n", PRIZES, PRIZES "1", "x"},
    {"trail bytes 5C 5B 5D in names and value", "[" XI XIAO KUI "]\r\n" XIAO KUI "=" XI KUI "\r\n",
     XI XIAO KUI, XIAO KUI, XI KUI},
    {"trail byte 5D does not close a header", "[s]\n[" KUI "\nk=v\n", "s", "k", "v"},
    {"trail byte 5D is not the last closing bracket", "[a]" KUI "\nk=v\n", "a", "k", "v"},
    {"trail byte is not case-folded in section", "[" JIA "]\nk=1\n", LUAN, "k", nullopt},
    {"trail byte is not case-folded in key", "[s]\n" JIA "=1\n", "s", LUAN, nullopt},
    {"ASCII after a GBK character is case-folded", "[" JIA "X]\nk=1\n", JIA "x", "K", "1"},
    {"lead byte at the very end kept raw", "[s]\nk=v\x81", "s", "k", "v\x81"},
    {"broken lead byte does not swallow the equals sign", "[s]\nk\x81=v\n", "s", "k\x81", "v"}};

TEST(FindValue, ReadsAsTheProfileReader) {
    for (const FindCase& c : kFindCases)
        EXPECT_EQ(FindValue(c.content, c.section, c.key), c.expected) << c.name;
}

struct SetCase {
    const char* name;
    std::string content;
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
    std::string expected;
};

const SetCase kSetCases[] = {
    {"new file", "", "s", "k", "v", "[s]\r\nk=v\r\n"},
    {"names written without their blanks", "", " s ", " k ", "v", "[s]\r\nk=v\r\n"},
    {"section appended after final newline", "[a]\nx=1\n", "s", "k", "v",
     "[a]\nx=1\n[s]\r\nk=v\r\n"},
    {"section appended, final newline added first", "[a]\nx=1", "s", "k", "v",
     "[a]\nx=1\r\n[s]\r\nk=v\r\n"},
    {"section appended to a BOM-only file", BOM, "s", "k", "v", BOM "[s]\r\nk=v\r\n"},
    {"key appended after the last key line of its section", "[s]\na=1\n\n;c\n[t]\nb=2\n", "s", "k",
     "v", "[s]\na=1\nk=v\r\n\n;c\n[t]\nb=2\n"},
    {"key appended to the last section without final newline", "[s]\na=1", "s", "k", "v",
     "[s]\na=1\r\nk=v\r\n"},
    {"key appended right after a header without keys", "[s]\n;k=1\n[t]\n", "s", "k", "v",
     "[s]\nk=v\r\n;k=1\n[t]\n"},
    {"key appended to a header without newline", "[s]", "s", "k", "v", "[s]\r\nk=v\r\n"},
    {"key appended to the first of duplicate sections", "[s]\na=1\n[s]\nb=2\n", "s", "k", "v",
     "[s]\na=1\nk=v\r\n[s]\nb=2\n"},
    {"value replaced in place, key spelling and line end kept",
     "; top\r\n[S]\n  KeY =  old  \rnext=1\n", "s", "key", "new",
     "; top\r\n[S]\nKeY=new\rnext=1\n"},
    {"value replaced on a last line without newline", "[s]\nk=old", "s", "k", "new", "[s]\nk=new"},
    {"first of duplicate keys replaced", "[s]\nk=1\nk=2\n", "s", "k", "9", "[s]\nk=9\nk=2\n"},
    {"BOM kept on replace", BOM "[s]\r\nk=1\r\n", "s", "k", "2", BOM "[s]\r\nk=2\r\n"},
    {"GBK names with trail bytes", "[" XI "]\r\n" KUI "=" XIAO "\r\n", XI, KUI, XI,
     "[" XI "]\r\n" KUI "=" XI "\r\n"},
    {"key deleted with its line end", "[s]\r\na=1\r\nk=v\r\nb=2\r\n", "s", "k", nullopt,
     "[s]\r\na=1\r\nb=2\r\n"},
    {"last key without newline deleted", "[s]\na=1\nk=v", "s", "k", nullopt, "[s]\na=1\n"},
    {"missing key delete changes nothing", "[s]\na=1", "s", "k", nullopt, "[s]\na=1"},
    {"delete of a key in a missing section changes nothing", "[t]\nk=1\n", "s", "k", nullopt,
     "[t]\nk=1\n"},
    {"section deleted up to the next header", "[a]\r\nx=1\r\n[s]\r\nk=v\r\n;c\r\n\r\n[b]\r\ny=2",
     "s", nullopt, nullopt, "[a]\r\nx=1\r\n[b]\r\ny=2"},
    {"last section deleted", "[a]\nx=1\n[S]\nk=v", "s", nullopt, nullopt, "[a]\nx=1\n"},
    {"only the first of duplicate sections deleted", "[s]\na=1\n[s]\nb=2\n", "s", nullopt, nullopt,
     "[s]\nb=2\n"},
    {"missing section delete changes nothing", "[a]\nx=1\n", "s", nullopt, nullopt, "[a]\nx=1\n"}};

TEST(SetValue, RewritesOnlyWhatItMust) {
    using Name = std::optional<std::string_view>;
    for (const SetCase& c : kSetCases) {
        const Name key = c.key ? Name(*c.key) : nullopt, value = c.value ? Name(*c.value) : nullopt;
        EXPECT_EQ(SetValue(c.content, c.section, key, value), c.expected) << c.name;
    }
}

TEST(CanStore, RefusesWhatWouldNotReadBack) {
    EXPECT_TRUE(CanStore("s", "k", "any \"value\" = ;"));
    EXPECT_TRUE(CanStore("s", nullopt, nullopt));
    EXPECT_TRUE(CanStore(XI KUI, KUI, XI));  // trail bytes are no line breaks or '['
    EXPECT_FALSE(CanStore(" \t", "k", "v"));
    EXPECT_FALSE(CanStore("s", " ", "v"));
    EXPECT_FALSE(CanStore("s\r\n[t]", "k", "v"));
    EXPECT_FALSE(CanStore("s", "k\n", "v"));
    EXPECT_FALSE(CanStore("s", "k", "v\rw"));
    EXPECT_FALSE(CanStore("s", "a=b", "v"));
    EXPECT_FALSE(CanStore("s", " ;k", "v"));
    EXPECT_FALSE(CanStore("s", "[k]", "v"));
}

TEST(ClipText, CutsOnlyBetweenWholeCharacters) {
    EXPECT_EQ(ClipText("abcdef", 4), "abcd");
    EXPECT_EQ(ClipText("ab" XI "c", 3), "ab");
    EXPECT_EQ(ClipText("ab" XI "c", 4), "ab" XI);
    EXPECT_EQ(ClipText("ab\x81\x40", 3), "ab") << "0x40 is a trail byte: no lone lead at the cut";
    EXPECT_EQ(ClipText("ab\xFE\xFE", 3), "ab");
    EXPECT_EQ(ClipText("ab\x80\x40", 3), "ab\x80") << "0x80 is a whole character";
    EXPECT_EQ(ClipText("ab\x81", 10), "ab");  // a lead byte left without its trail
    EXPECT_EQ(ClipText("9\x80", 10), "9\x80");
    EXPECT_EQ(ClipText("9\xFF", 10), "9\xFF");
    EXPECT_EQ(ClipText("a\x81 b", 10), "a\x81 b");  // a broken lead byte inside is just a byte
    EXPECT_EQ(ClipText("", 10), "");
}

std::string Utf8(std::u8string_view s) {
    return {reinterpret_cast<const char*>(s.data()), s.size()};
}

// Notepad saves UTF-8 without a mark; only the program's own sections in UTF-8 tell such a file
// from a GBK one. Whatever a file is read as, a save adds to it in that encoding.
TEST(DetectEncoding, UnmarkedUtf8NeedsAProgramSectionInUtf8) {
    struct Case {
        const char* what;
        std::string file;
        FileEncoding expected;
    } cases[] = {
        {"Notepad UTF-8 with the names", Utf8(u8"[奖项]\r\n奖项1=旧\r\n"), FileEncoding::Utf8},
        {"Notepad UTF-8 with the rates only", Utf8(u8"; x\n [ 中奖率 ] \n中奖率1=5\n"),
         FileEncoding::Utf8},
        {"UTF-8 with a mark", BOM "[s]\r\nk=v\r\n", FileEncoding::Utf8},
        {"ASCII", "[s]\r\nk=v\r\n", FileEncoding::Gbk},
        {"GBK", "[" PRIZES "]\r\n" PRIZES "1=" NEW "\r\n", FileEncoding::Gbk},
        {"GBK that is valid UTF-8 by chance", "[s]\r\nk=\xC4\xA3\r\n", FileEncoding::Gbk},
        {"UTF-8 without the program's sections", Utf8(u8"[其他]\r\n奖项=1\r\n"), FileEncoding::Gbk},
        {"UTF-8 with a GBK section added", Utf8(u8"[奖项]\r\n奖项1=旧\r\n") + "[" PRIZES "]\r\n",
         FileEncoding::Gbk},
        {"UTF-8 cut inside a character", Utf8(u8"[奖项]\r\n奖项1=旧").substr(0, 20),
         FileEncoding::Gbk},
    };
    const KeyWrite write{PRIZES "9", NEW};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DetectEncoding(c.file), c.expected);
        const std::string saved = WriteFileValues(c.file, PRIZES, {&write, 1});
        EXPECT_TRUE(saved.starts_with(c.file));
        EXPECT_TRUE(saved.ends_with(c.expected == FileEncoding::Utf8 ? Utf8(u8"奖项9=新\r\n")
                                                                     : PRIZES "9=" NEW "\r\n"));
        EXPECT_EQ(ReadFileValue(saved, PRIZES, PRIZES "9", 100), NEW);
    }
}

// A quadratic scan of these lines would not finish.
TEST(IniStoreRobustness, MegabyteLinesAreScannedOnce) {
    std::string content = "[" + std::string(4 << 20, 'x') + "\n";  // a header that never closes
    content += std::string(4 << 20, '[') + "\n";
    content += "[s]\nk=" + std::string(4 << 20, 'v') + "\n";
    const std::optional<std::string> value = FindValue(content, "s", "k");
    const std::string written = SetValue(content, "s", "j", "w");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), 4u << 20);
    EXPECT_EQ(written, content + "j=w\r\n");
}

}  // namespace
}  // namespace kelvra::ini
