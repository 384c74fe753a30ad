// Low-level file writing shared by the profile writer, the log and the journals.
#pragma once

#include <string_view>

namespace platform {

// Writes all of `data` to `fd`, retrying short writes and EINTR. False with errno
// set when the write fails (a write that makes no progress counts as ENOSPC).
bool WriteAll(int fd, std::string_view data);

}  // namespace platform
