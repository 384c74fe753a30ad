#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "tests/support/TempDir.h"

namespace {

// Sets an environment variable for the scope of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name))
            old_ = old, hadOld_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (hadOld_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

TEST(Paths, DocumentsFolderFromUserDirs) {
    testsupport::TempDir home;
    ScopedEnv h("HOME", home.path());
    ScopedEnv x("XDG_CONFIG_HOME", home.file("cfg"));
    EXPECT_EQ(platform::DocumentsFolder(), home.path() + "/Documents");

    mkdir(home.file("cfg").c_str(), 0700);
    testsupport::WriteFile(home.file("cfg/user-dirs.dirs"),
                           "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                           "XDG_DOCUMENTS_DIR=\"$HOME/文档/\"\n");
    EXPECT_EQ(platform::DocumentsFolder(), home.path() + "/文档");
}

TEST(Paths, ProgramFolderEndsWithSeparator) {
    unsetenv("QUORVEL_PROGRAM_DIR");
    const std::string dir = platform::ProgramFolder();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(platform::FolderExists(dir));
    ScopedEnv p("QUORVEL_PROGRAM_DIR", "/opt/quorvel");
    EXPECT_EQ(platform::ProgramFolder(), "/opt/quorvel/");
}

TEST(Paths, PrivateFolderIsOwnerOnly) {
    testsupport::TempDir dir;
    const std::string f = dir.file("data");
    ASSERT_TRUE(platform::CreatePrivateFolder(f));
    ASSERT_TRUE(platform::CreatePrivateFolder(f));  // already there
    struct stat st {};
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(platform::CreatePrivateFolder(dir.file("a/b")));  // one level only
    EXPECT_EQ(platform::JoinPath("a/", "b"), "a/b");
    EXPECT_EQ(platform::JoinPath("a", "b"), "a/b");
}

}  // namespace
