// Where the setup dialog plots a voltage sample: integer arithmetic over the
// plot area's width and height.
#pragma once

namespace pendrel {

struct TPlotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TPlotPoint&) const = default;
};

inline constexpr int kPlotSlots = 10;

// Sample i (0-9) with value v: x = w*(i+1)/11, y = h - (h-10)*v/55.
constexpr TPlotPoint PlotPointOf(int index, int value, int width, int height) {
    return {width * (index + 1) / (kPlotSlots + 1), height - (height - 10) * value / 55};
}

}  // namespace pendrel
