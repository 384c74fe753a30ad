// Where the box's control socket lives.
#pragma once

#include <string>

namespace caubox {

// CAUBOX_CONTROL when set and not empty; else "caubox.sock" in
// $XDG_RUNTIME_DIR, else in $TMPDIR, else in /tmp.
std::string ControlSocketPath();

}  // namespace caubox
