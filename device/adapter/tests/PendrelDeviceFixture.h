// A device opened over the virtual box, in this process, with a private
// folder for its settings and the box's control socket.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/adapter/tests/BoxControl.h"
#include "device/adapter/tests/PendrelTestSupport.h"

namespace pendrel_test {

struct Expected {
    int event;
    int param;
    std::string text;
    bool operator==(const Expected&) const = default;
};
void PrintTo(const Expected& e, std::ostream* os);

class PendrelDeviceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureWidgetApplication(); }
    void SetUp() override;
    void TearDown() override;

    // Opens the device and waits for the box's plug-in report.
    void OpenPlugged();
    // Sends a command that the box must accept.
    void Box(const std::string& command);
    // Sends a command, then a marker notification, and returns what reached the
    // client in between. `expectedCount` events are let pass before the marker
    // is looked for, so that rows which raise the marker's own code still work.
    std::vector<Expected> Step(const std::string& command, std::size_t expectedCount);
    // The value of one "key=value" of the box's status line.
    std::string BoxStatus(const std::string& key);

    TestFolder folder_;
    BoxControl box_{folder_.controlSocket()};
};

}  // namespace pendrel_test
