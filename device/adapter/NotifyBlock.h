// One notification of the box, copied on the box's thread so that it can be
// handled later on the thread that opened the device.
#pragma once

#include <cstdint>
#include <string>

namespace pendrel {

struct TNotifyBlock {
    std::int32_t handle = 0;
    std::int32_t event = 0;
    std::intptr_t param = 0;  // for the caller number: 0, see callerNumber
    std::int32_t reserved[3] = {0, 0, 0};
    std::string callerNumber;  // the copied caller number; empty when none
};

// Copies the six values of a notification. For the caller-number event the
// parameter points to the number's text (or is null); the text is copied.
TNotifyBlock MakeNotifyBlock(std::int32_t handle, std::int32_t event, std::intptr_t param,
                             std::int32_t r1, std::int32_t r2, std::int32_t r3);

}  // namespace pendrel
