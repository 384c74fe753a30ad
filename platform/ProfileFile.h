// INI ("profile") files with the semantics of the Windows profile routines:
// case-insensitive section and key names, raw single-line values with the
// surrounding blanks removed, the caller's default for a missing key. Every
// call opens and closes the file; nothing is cached. A write replaces the file
// atomically (temporary file, then rename) and keeps its permissions.
#pragma once

#include <string>

namespace platform {

// Files larger than this are not parsed: readers get their defaults and writes are refused.
inline constexpr std::size_t kMaxProfileFileSize = 16 * 1024 * 1024;

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// Empty text or text that is not a decimal integer in range gives the default.
int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue);
// Creates the file and the section when missing. Returns false (file unchanged)
// when the file cannot be written.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);
bool WriteProfileInt(const std::string& path, const std::string& section, const std::string& key,
                     int value);

}  // namespace platform
