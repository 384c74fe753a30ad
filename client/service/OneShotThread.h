// Starts a one-shot worker: a detached thread that owns everything it uses
// (its inputs are moved into it), so it may outlive its creator, its target
// window and the program's shut-down sequence.
#pragma once

#include <functional>

// Throws std::system_error when no thread can be started.
void StartOneShotThread(std::function<void()> body);
