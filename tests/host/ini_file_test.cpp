#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/file_io.h"
#include "runtime/ini.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using std::nullopt;

#define XI "\x87\x5C"  // 嘰, trail byte '\'
#define AH "\xB0\xA1"  // 啊

class IniFileTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kelvra_ini_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "peizhi.ini").string();
    }
    void TearDown() override {
        for (const auto& entry : fs::recursive_directory_iterator(dir_))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::set<std::string> Names(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(IniFileTest, ReadOfMissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(IniReadText(path_, "s", "k"), "");
    EXPECT_EQ(IniReadText(path_, "s", "k", "def"), "def");
    Put(path_, "[s]\r\nk=v\r\n");
    EXPECT_EQ(IniReadText(path_, "s", "k"), "v");
    EXPECT_EQ(IniReadText(path_, "s", "j", "def"), "def");
    EXPECT_EQ(IniReadText(path_, "t", "k"), "");
    EXPECT_EQ(IniReadText(dir_.string(), "s", "k", "def"), "def");  // a folder cannot be read
}

// A reader takes all its values from one reading of the file, the first that succeeded: a file
// changed meanwhile does not mix two versions into one table, and a missing one is looked for
// again at the next value.
TEST_F(IniFileTest, AReaderTakesItsValuesFromOneVersionOfTheFile) {
    IniReader reader(path_);
    EXPECT_EQ(reader.Read("s", "a", "none"), "none");
    Put(path_, "[s]\r\na=1\r\nb=2\r\n");
    EXPECT_EQ(reader.Read("s", "a"), "1");
    Put(path_, "[s]\r\na=3\r\nb=4\r\n");
    EXPECT_EQ(reader.Read("s", "b"), "2");
    EXPECT_EQ(reader.Read(" s", "\tb"), "2");
    EXPECT_EQ(reader.Read("s", ""), "");
    EXPECT_EQ(IniReader(path_).Read("s", "b"), "4");
    EXPECT_EQ(IniReader("").Read("s", "b", "def"), "");
}

TEST_F(IniFileTest, ReadSkipsLeadingControlBytesAndGivesEmptyForBlankNames) {
    Put(path_, "[s]\r\nk=v\r\n");
    EXPECT_EQ(IniReadText(" \t" + path_, "\r\n s", "\x01 k"), "v");
    // A blank name returns "" before the file is looked at: not even the default comes back.
    EXPECT_EQ(IniReadText(path_, "s", " \t", "def"), "");
    EXPECT_EQ(IniReadText(path_, "", "k", "def"), "");
    EXPECT_EQ(IniReadText("  ", "s", "k", "def"), "");
}

TEST_F(IniFileTest, ReadCutsLongValuesOnWholeCharacters) {
    const std::string longValue(20000, 'a');
    Put(path_, "[s]\nlong=" + longValue + "\nquoted=\"" + longValue + "\"\n" +
                   "edge=" + std::string(10238, 'a') + AH + "\n" +
                   "fits=" + std::string(10237, 'a') + AH + "\n");
    EXPECT_EQ(IniReadText(path_, "s", "long"), std::string(10239, 'a'));
    EXPECT_EQ(IniReadText(path_, "s", "quoted"), std::string(10239, 'a'));
    EXPECT_EQ(IniReadText(path_, "s", "edge"), std::string(10238, 'a'));
    EXPECT_EQ(IniReadText(path_, "s", "fits"), std::string(10237, 'a') + AH);
    EXPECT_EQ(IniReadText(path_, "s", "missing", longValue), std::string(10239, 'a'));
}

TEST_F(IniFileTest, WriteCreatesTheFileAndReadsBack) {
    EXPECT_TRUE(IniWriteText(path_, "s", "k", nullopt));  // a delete does not create the file
    EXPECT_FALSE(fs::exists(path_));
    ASSERT_TRUE(IniWriteText(path_, "s", "k", "v"));
    EXPECT_EQ(Get(path_), "[s]\r\nk=v\r\n");
    ASSERT_TRUE(IniWriteText(path_, "s", "k2", " w "));
    EXPECT_EQ(Get(path_), "[s]\r\nk=v\r\nk2= w \r\n");
    EXPECT_EQ(IniReadText(path_, "s", "k2"), "w");
    ASSERT_TRUE(IniWriteText(path_, "s", "k", nullopt));
    EXPECT_EQ(Get(path_), "[s]\r\nk2= w \r\n");
    ASSERT_TRUE(IniWriteText(path_, "s", nullopt, nullopt));
    EXPECT_EQ(Get(path_), "");
    EXPECT_EQ(Names(dir_), std::set<std::string>{"peizhi.ini"});
}

TEST_F(IniFileTest, WriteRefusesNamesTheFileCannotHold) {
    Put(path_, "[s]\r\nk=v\r\n");
    EXPECT_FALSE(IniWriteText(path_, " ", "k", "v"));
    EXPECT_FALSE(IniWriteText(path_, "s", "a=b", "v"));
    EXPECT_FALSE(IniWriteText(path_, "s", "k", "v\r\n[t]"));
    EXPECT_FALSE(IniWriteText("", "s", "k", "v"));
    EXPECT_EQ(Get(path_), "[s]\r\nk=v\r\n");
}

TEST_F(IniFileTest, ProgramStylePathsWithBackslashesAndGbkNames) {
    // The program joins the folder and the name with '\'; 嘰 ends in the byte '\' and stays whole.
    const std::string name = XI ".ini";
    ASSERT_TRUE(IniWriteText(dir_.string() + "\\" + name, "s", "k", "v"));
    EXPECT_EQ(Get((dir_ / name).string()), "[s]\r\nk=v\r\n");
    EXPECT_EQ(IniReadText(dir_.string() + "\\" + name, "s", "k"), "v");
}

TEST_F(IniFileTest, ReadWholeFileIsByteExact) {
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(path_, bytes, 100), ReadResult::Missing);
    EXPECT_EQ(ReadWholeFile(dir_.string(), bytes, 100), ReadResult::Failed);
    const std::string binary = "a\0b\r\n\xFF\x81"s;
    ASSERT_EQ(ReplaceFileContents(path_, binary), WriteOutcome::Written);
    EXPECT_EQ(ReadWholeFile(path_, bytes, 100), ReadResult::Ok);
    EXPECT_EQ(bytes, binary);
    EXPECT_EQ(ReadWholeFile(path_, bytes, binary.size() - 1), ReadResult::TooLarge);
    EXPECT_EQ(bytes, "");
}

std::string Utf8(std::u8string_view s) {
    return {reinterpret_cast<const char*>(s.data()), s.size()};
}

std::string Utf16(std::u16string_view s, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : s) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

// Files an editor saved: Notepad's "UTF-8" (with a mark before 2019, without since) and "Unicode",
// and the byte order few use. The comment
// holds a character GBK has not (한), which must come through a save unchanged.
struct EncodedFile {
    const char* name;
    std::string before;
    std::string after;  // after writing 奖项1=新 and 奖项3=三
};

const EncodedFile kEncodedFiles[] = {
    {"GBK", "; x\r\n[奖项]\r\n奖项1=旧\r\n奖项2=二\r\n",
     "; x\r\n[奖项]\r\n奖项1=新\r\n奖项2=二\r\n奖项3=三\r\n"},
    {"UTF-8", Utf8(u8"\uFEFF; 한\r\n[奖项]\r\n奖项1=旧\r\n奖项2=二\r\n"),
     Utf8(u8"\uFEFF; 한\r\n[奖项]\r\n奖项1=新\r\n奖项2=二\r\n奖项3=三\r\n")},
    {"UTF-8 without a mark", Utf8(u8"; 한\r\n[奖项]\r\n奖项1=旧\r\n奖项2=二\r\n"),
     Utf8(u8"; 한\r\n[奖项]\r\n奖项1=新\r\n奖项2=二\r\n奖项3=三\r\n")},
    {"UTF-16LE", Utf16(u"; 한\r\n[奖项]\r\n奖项1=旧\r\n奖项2=二\r\n", false),
     Utf16(u"; 한\r\n[奖项]\r\n奖项1=新\r\n奖项2=二\r\n奖项3=三\r\n", false)},
    {"UTF-16BE", Utf16(u"; 한\r\n[奖项]\r\n奖项1=旧\r\n奖项2=二\r\n", true),
     Utf16(u"; 한\r\n[奖项]\r\n奖项1=新\r\n奖项2=二\r\n奖项3=三\r\n", true)},
    {"UTF-16LE with an odd last byte", Utf16(u"[奖项]\r\n奖项1=旧\r\n奖项2=二\r\n", false) + "\x01",
     Utf16(u"[奖项]\r\n奖项1=新\r\n奖项2=二\r\n奖项3=三\r\n", false) + "\x01"},
};

TEST_F(IniFileTest, FilesAnEditorSavedReadAndSaveInTheirEncoding) {
    for (const EncodedFile& f : kEncodedFiles) {
        SCOPED_TRACE(f.name);
        Put(path_, f.before);
        EXPECT_EQ(IniReadText(path_, "奖项", "奖项1"), "旧");
        EXPECT_EQ(IniReadText(path_, "奖项", "奖项2"), "二");
        const std::pair<std::string, std::string> writes[] = {{"奖项1", "新"}, {"奖项3", "三"}};
        EXPECT_EQ(IniWriteSection(path_, "奖项", writes), WriteOutcome::Written);
        EXPECT_EQ(Get(path_), f.after);
        EXPECT_EQ(IniReadText(path_, "奖项", "奖项3"), "三");
    }
}

// One save is one write of the file, with the bytes that ten single writes would leave.
TEST_F(IniFileTest, OneSaveGivesTheBytesOfTenSingleWrites) {
    std::vector<std::pair<std::string, std::string>> keyValues;
    for (int i = 1; i <= 10; ++i)
        keyValues.emplace_back("奖项" + std::to_string(i), i % 3 ? "名" + std::to_string(i) : "");
    keyValues[4].second = "50\x80代金";  // 50€代金
    std::vector<std::string> starts = {"", "[奖项]\r\n奖项3=\r\n奖项6=\r\n奖项9=\r\n",
                                       "[中奖率]\n中奖率1=5\n[奖项]\n; c\n奖项10=x\n\n[z]\n",
                                       "[奖项]"};
    for (const EncodedFile& f : kEncodedFiles) starts.push_back(f.before);
    const std::string single = (dir_ / "single.ini").string();
    for (const std::string& start : starts) {
        SCOPED_TRACE(testing::PrintToString(start));
        if (start.empty()) {
            fs::remove(single);
            fs::remove(path_);
        } else {
            Put(single, start);
            Put(path_, start);
        }
        for (const auto& [key, value] : keyValues)
            ASSERT_TRUE(IniWriteText(single, "奖项", key, value));
        EXPECT_EQ(IniWriteSection(path_, "奖项", keyValues), WriteOutcome::Written);
        EXPECT_EQ(Get(path_), Get(single));
        EXPECT_EQ(IniReadText(path_, "奖项", "奖项5"), "50\x80代金");
    }
}

// CR-only line ends: a reader that looked for LF from every line start would be quadratic here
// and never finish.
TEST_F(IniFileTest, LargeFileWithCrOnlyLineEndsFindsItsLastKey) {
    std::string content = "[other]\r";
    while (content.size() < 16u << 20) content += "key=value of some length\r";
    Put(path_, content + "[s]\rk=last\r");
    EXPECT_EQ(IniReadText(path_, "s", "k"), "last");
    EXPECT_EQ(IniReadText(path_, "other", "key"), "value of some length");
}

}  // namespace
}  // namespace kelvra
