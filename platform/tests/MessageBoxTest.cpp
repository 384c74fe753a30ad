#include "platform/MessageBox.h"

#include <gtest/gtest.h>

TEST(MessageBoxPort, RecordingPortSeesEveryText) {
    auto box = std::make_shared<platform::RecordingMessageBox>();
    auto previous = platform::SetMessageBoxPort(box);
    platform::ShowMessageBox("设备驱动:OPEN失败");
    platform::ShowMessageBox("second", "caption");
    EXPECT_EQ(box->texts(), (std::vector<std::string>{"设备驱动:OPEN失败", "second"}));
    platform::SetMessageBoxPort(previous);
    platform::ShowMessageBox("to stderr");
    EXPECT_EQ(box->texts().size(), 2u);
}
