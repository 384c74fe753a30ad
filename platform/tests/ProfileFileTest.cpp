#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempDir.h"

using platform::ReadProfileInt;
using platform::ReadProfileString;
using platform::WriteProfileInt;
using platform::WriteProfileString;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

struct ReadCase {
    const char* name;
    const char* content;
    const char* section;
    const char* key;
    const char* expectedString;  // with default "DEF"
    int expectedInt;             // with default -7
};

const ReadCase kReadCases[] = {
    {"exact", "[BizAgent]\nPort=8081\n", "BizAgent", "Port", "8081", 8081},
    {"caseInsensitiveNames", "[bizagent]\nPORT=8082\n", "BizAgent", "port", "8082", 8082},
    {"missingKey", "[BizAgent]\nHost=x\n", "BizAgent", "Port", "DEF", -7},
    {"missingSection", "[SKIN]\nPort=1\n", "BizAgent", "Port", "DEF", -7},
    {"notANumber", "[BizAgent]\nPort=abc\n", "BizAgent", "Port", "abc", -7},
    {"numberWithTrailingText", "[BizAgent]\nPort=80x\n", "BizAgent", "Port", "80x", -7},
    {"emptyValue", "[BizAgent]\nPort=\n", "BizAgent", "Port", "", -7},
    {"negative", "[BizAgent]\nPort=-12\n", "BizAgent", "Port", "-12", -12},
    {"outOfRange", "[BizAgent]\nPort=99999999999\n", "BizAgent", "Port", "99999999999", -7},
    {"valueWithSpaces", "[BizAgent]\nName =  深圳 分公司  \n", "BizAgent", "Name", "深圳 分公司",
     -7},
    {"crlf", "[BizAgent]\r\nPort=12\r\nHost=h\r\n", "BizAgent", "Port", "12", 12},
    {"noFinalLineBreak", "[BizAgent]\nPort=13", "BizAgent", "Port", "13", 13},
    {"lineWithoutEquals", "[BizAgent]\ngarbage line\nPort=14\n", "BizAgent", "Port", "14", 14},
    {"firstOfDuplicates", "[BizAgent]\nPort=1\nPort=2\n", "BizAgent", "Port", "1", 1},
    {"keyBeforeAnySection", "Port=5\n[BizAgent]\n", "BizAgent", "Port", "DEF", -7},
    {"equalsInValue", "[A]\nUrl=http://h/x?a=1&b=2\n", "A", "Url", "http://h/x?a=1&b=2", -7},
    {"sectionSpaces", "[ BizAgent ]\nPort=15\n", "BizAgent", "Port", "15", 15},
    {"binary", "\x01\x02\xff\xfe[\x00]=\n\x80=\x81\n", "BizAgent", "Port", "DEF", -7},
    {"emptyFile", "", "BizAgent", "Port", "DEF", -7},
};

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, GivesValueOrDefault) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("a.ini");
    WriteFile(path, std::string(c.content, std::char_traits<char>::length(c.content)));
    EXPECT_EQ(ReadProfileString(path, c.section, c.key, "DEF"), c.expectedString);
    EXPECT_EQ(ReadProfileInt(path, c.section, c.key, -7), c.expectedInt);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRead, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFile, UnreadableFilesGiveDefaults) {
    TempDir dir;
    EXPECT_EQ(ReadProfileString(dir.file("missing.ini"), "A", "k", "d"), "d");
    EXPECT_EQ(ReadProfileInt(dir.path(), "A", "k", 3), 3);  // a folder, not a file

    const std::string huge = dir.file("huge.ini");
    {
        std::ofstream out(huge, std::ios::binary);
        out << "[A]\nk=1\n";
        out.seekp(static_cast<std::streamoff>(platform::kMaxProfileFileSize) + 10);
        out << 'x';
    }
    EXPECT_EQ(ReadProfileInt(huge, "A", "k", 9), 9);
    EXPECT_FALSE(WriteProfileString(huge, "A", "k", "2"));
    EXPECT_EQ(std::filesystem::file_size(huge), platform::kMaxProfileFileSize + 11);
}

TEST(ProfileFile, WriteCreatesFileAndSectionPrivately) {
    TempDir dir;
    const std::string path = dir.file("new.ini");
    ASSERT_TRUE(WriteProfileString(path, "BizAgent", "Host", "10.0.0.1"));
    ASSERT_TRUE(WriteProfileInt(path, "SKIN", "Size", 3));
    EXPECT_EQ(ReadFile(path), "[BizAgent]\nHost=10.0.0.1\n\n[SKIN]\nSize=3\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ProfileFile, WriteReplacesKeyAndKeepsTheRest) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    WriteFile(path, "; comment\r\n[BizAgent]\r\nHost=a\r\nport=1\r\n\r\n[SKIN]\r\nSkinName=x\r\n");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteProfileInt(path, "bizagent", "Port", 2));
    ASSERT_TRUE(WriteProfileString(path, "BizAgent", "User", "u"));
    ASSERT_TRUE(WriteProfileString(path, "SKIN", "Other", "o"));
    EXPECT_EQ(
        ReadFile(path),
        "; comment\r\n[BizAgent]\r\nHost=a\r\nPort=2\r\nUser=u\r\n\r\n[SKIN]\r\nSkinName=x\r\n"
        "Other=o\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(ProfileFile, ValueWithLineBreakCannotInjectKeys) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    ASSERT_TRUE(WriteProfileString(path, "A", "k", "v\n[B]\nx=1"));
    EXPECT_EQ(ReadProfileString(path, "B", "x", "none"), "none");
    EXPECT_EQ(ReadProfileString(path, "A", "k", ""), "v [B] x=1");
}

TEST(ProfileFile, WriteIntoMissingFolderFailsQuietly) {
    TempDir dir;
    EXPECT_FALSE(WriteProfileString(dir.file("no/such/folder/a.ini"), "A", "k", "v"));
}

}  // namespace
