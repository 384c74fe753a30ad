#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "platform/Text.h"

namespace platform {

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return std::string();
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFromUserDirs(const std::string& home) {
    std::string configHome;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        configHome = x;
    } else if (!home.empty()) {
        configHome = home + "/.config";
    } else {
        return std::string();
    }
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        std::string t = Trim(line);
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (t.compare(0, key.size(), key) != 0)
            continue;
        std::string value = t.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, 5, "$HOME") == 0) {
            if (home.empty())
                return std::string();
            value = home + value.substr(5);
        }
        if (value.empty() || value.front() != '/')
            return std::string();
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        return value;
    }
    return std::string();
}

}  // namespace

std::string DocumentsFolder() {
    const std::string home = HomeFolder();
    std::string docs = DocumentsFromUserDirs(home);
    if (!docs.empty())
        return docs;
    if (home.empty())
        return std::string();
    return home + "/Documents";
}

std::string ProgramFolder() {
    if (const char* dir = std::getenv("QUORVEL_PROGRAM_DIR"); dir && *dir) {
        std::string d = dir;
        if (d.back() != kPathSeparator)
            d += kPathSeparator;
        return d;
    }
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    std::string exe(buf, static_cast<std::size_t>(n));
    const auto slash = exe.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return std::string();
    return exe.substr(0, slash + 1);
}

std::string JoinPath(const std::string& a, const std::string& b) {
    if (a.empty())
        return b;
    if (a.back() == kPathSeparator)
        return a + b;
    return a + kPathSeparator + b;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static bool MakeFolder(const std::string& path, mode_t mode) {
    if (path.empty())
        return false;
    if (mkdir(path.c_str(), mode) == 0) {
        chmod(path.c_str(), mode);  // not narrowed by the umask
        return true;
    }
    return errno == EEXIST && FolderExists(path);
}

bool CreatePrivateFolder(const std::string& path) {
    return MakeFolder(path, 0700);
}

bool CreateFolder(const std::string& path) {
    if (path.empty())
        return false;
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && FolderExists(path);
}

}  // namespace platform
