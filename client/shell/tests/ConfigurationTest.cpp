#include "client/shell/Configuration.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "ShellFixture.h"
#include "platform/ProfileFile.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

class ConfigurationTest : public ShellFixture {};

TEST_F(ConfigurationTest, ReadersKeepTheirOwnDefaults) {
    WriteFile(dir.file("RodiZerad.ini"), "[BizAgent]\nPort=abc\nLineType=2\nEnableLog=\n");
    EXPECT_EQ(IniReadInteger("BizAgent", "Port", 8081), 8081);
    EXPECT_EQ(IniReadInteger("BizAgent", "ExtNoLen", 3), 3);
    EXPECT_EQ(IniReadInteger("BizAgent", "ExtNoLen", 0), 0);
    EXPECT_EQ(IniReadString("BizAgent", "AreaCode", "0755"), "0755");
    EXPECT_EQ(IniReadInteger("bizagent", "linetype", 0), 2);
    EXPECT_TRUE(IsLogEnabled());  // empty reads as the default 1
    EXPECT_TRUE(IsDelLocVocFile());
    IniWriteInteger("BizAgent", "DelLocVocFile", 0);
    EXPECT_FALSE(IsDelLocVocFile());
    IniWriteInteger("BizAgent", "DelLocVocFile", -1);
    EXPECT_FALSE(IsDelLocVocFile());
    IniWriteString("SKIN", "SkinName", "Android OS (internal)");
    EXPECT_EQ(IniReadString("SKIN", "SkinName", ""), "Android OS (internal)");
}

TEST_F(ConfigurationTest, WriteIntoUnreachableFolderRaisesNothing) {
    SetDataFolder(dir.file("missing/"));
    IniWriteString("BizAgent", "Host", "h");
    EXPECT_EQ(IniReadString("BizAgent", "Host", "def"), "def");
}

// A documents folder with an old installation's file beside the program.
class ImportFixture : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        SetDataFolder("");
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", home.file(".config").c_str(), 1);
        setenv("QUORVEL_PROGRAM_DIR", program.path().c_str(), 1);
        std::filesystem::create_directory(home.file("Documents"));
    }
    void TearDown() override {
        unsetenv("QUORVEL_PROGRAM_DIR");
        ShellFixture::TearDown();
    }
    std::string newFile() const { return home.file("Documents/Quorvel/RodiZerad.ini"); }

    TempDir home, program;
};

TEST_F(ImportFixture, FirstStartCopiesTheListedNonEmptyKeys) {
    WriteFile(program.file("RodiZerad.ini"),
              "[VelnorixDadud]\r\nAreaCode=0571\r\nLocalTelLength=8\r\nPrefixDTMF=9\r\n"
              "LineType=1\r\nPrefixCID=\r\nExtNoLen=4\r\nPopupCallout=1\r\nEnableLog=0\r\n"
              "Host=old.example\r\n"
              "[BizAgent]\r\nDebugApp=1\r\nShowLog=1\r\nShowSkin=0\r\nCompany=acme\r\n"
              "User=zhang\r\nEnableSystemAlert=1\r\nHost=h\r\nPort=99\r\nPSW=secret\r\n"
              "LogPSW=1\r\nAutoLogin=1\r\n"
              "[SKIN]\r\nSkinName=Blue\r\n");
    ASSERT_TRUE(InitDataFolder("Quorvel"));
    EXPECT_EQ(DataFolder(), home.file("Documents/Quorvel/"));
    struct stat st {};
    ASSERT_EQ(stat(home.file("Documents/Quorvel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"BizAgent", "AreaCode", "0571"},   {"BizAgent", "LocalTelLength", "8"},
        {"BizAgent", "PrefixDTMF", "9"},    {"BizAgent", "LineType", "1"},
        {"BizAgent", "PrefixCID", "-"},     {"BizAgent", "ExtNoLen", "4"},
        {"BizAgent", "PopupCallout", "1"},  {"BizAgent", "EnableLog", "0"},
        {"BizAgent", "DebugApp", "1"},      {"BizAgent", "ShowLog", "1"},
        {"BizAgent", "ShowSkin", "0"},      {"BizAgent", "Company", "acme"},
        {"BizAgent", "User", "zhang"},      {"BizAgent", "EnableSystemAlert", "1"},
        {"SKIN", "SkinName", "Blue"},       {"BizAgent", "Host", "-"},
        {"BizAgent", "Port", "-"},          {"BizAgent", "PSW", "-"},
        {"BizAgent", "LogPSW", "-"},        {"BizAgent", "AutoLogin", "-"},
        {"VelnorixDadud", "AreaCode", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ReadProfileString(newFile(), c.section, c.key, "-"), c.expected)
            << c.section << "/" << c.key;
    }
    ASSERT_EQ(stat(newFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ImportFixture, ExistingNewFileIsLeftAlone) {
    std::filesystem::create_directory(home.file("Documents/Quorvel"));
    WriteFile(newFile(), "[BizAgent]\nAreaCode=010\n");
    WriteFile(program.file("RodiZerad.ini"), "[VelnorixDadud]\nAreaCode=0571\nExtNoLen=4\n");
    ASSERT_TRUE(InitDataFolder("Quorvel"));
    EXPECT_EQ(ReadFile(newFile()), "[BizAgent]\nAreaCode=010\n");
}

TEST_F(ImportFixture, NoOldFileCreatesNothing) {
    ASSERT_TRUE(InitDataFolder("Quorvel"));
    EXPECT_FALSE(std::filesystem::exists(newFile()));
}

TEST_F(ImportFixture, MissingDocumentsFolderLeavesRelativePaths) {
    std::filesystem::remove_all(home.file("Documents"));
    EXPECT_FALSE(InitDataFolder("Quorvel"));
    EXPECT_EQ(DataFolder(), "");
    EXPECT_EQ(ConfigFilePath(), "RodiZerad.ini");
}

}  // namespace
