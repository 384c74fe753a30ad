// The sound format of the box's telephone line.
#pragma once

namespace caubox {

// 8 kHz mono, 16-bit samples.
inline constexpr int kLineSampleRate = 8000;

}  // namespace caubox
