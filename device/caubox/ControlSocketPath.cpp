#include "device/caubox/ControlSocketPath.h"

#include <cstdlib>

namespace caubox {

namespace {

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

}  // namespace

std::string ControlSocketPath() {
    if (const char* explicitPath = NonEmptyEnv("CAUBOX_CONTROL")) {
        return explicitPath;
    }
    const char* folder = NonEmptyEnv("XDG_RUNTIME_DIR");
    if (folder == nullptr) {
        folder = NonEmptyEnv("TMPDIR");
    }
    std::string path = folder != nullptr ? folder : "/tmp";
    if (path.back() != '/') {
        path += '/';
    }
    return path + "caubox.sock";
}

}  // namespace caubox
