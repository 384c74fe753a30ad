// Where things live on this platform.
#pragma once

#include <string>

namespace platform {

inline constexpr char kPathSeparator = '/';

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs, else $HOME/Documents.
// No trailing separator. Empty when no home folder is known.
std::string DocumentsFolder();
// The folder of the running executable, with a trailing separator.
// QUORVEL_PROGRAM_DIR overrides it (tests and the command-line tool use this).
std::string ProgramFolder();
// a + "/" + b, without doubling a separator that a already ends with.
std::string JoinPath(const std::string& a, const std::string& b);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates one folder level, readable by its owner only (0700). True when it exists afterwards.
bool CreatePrivateFolder(const std::string& path);
// Creates one folder level with the default permissions. True when it exists afterwards.
bool CreateFolder(const std::string& path);

}  // namespace platform
