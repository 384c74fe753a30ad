// The folder where uploaded recordings are kept, one file per call.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace demo {

// The bare file name of a local path, whichever separator ("/" or "\") it uses.
std::string_view BaseNameOf(std::string_view path);

// The call identifier in a recording's file name: the text before the first "_" of its bare
// name ("{GUID}_1001_0755..._20240315_093012_1.mp3" gives "{GUID}"). Empty when the name has
// no "_" or nothing before it.
std::string VocIdOfFileName(std::string_view path);

class RecordingStore {
  public:
    explicit RecordingStore(std::string folder) : folder_(std::move(folder)) {}

    const std::string& folder() const { return folder_; }

    // Writes the content as the recording of vocId, replacing an earlier one. Returns the
    // stored path, or nothing with the error text set.
    std::optional<std::string> save(const std::string& vocId, std::string_view content,
                                    std::string& error) const;

  private:
    std::string folder_;
};

}  // namespace demo
