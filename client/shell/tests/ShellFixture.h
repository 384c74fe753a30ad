// A data folder of its own for each test, with the process log installed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "client/shell/Configuration.h"
#include "client/shell/TxtLog.h"
#include "platform/MessageBox.h"
#include "tests/support/TempDir.h"

class ShellFixture : public testing::Test {
  protected:
    void SetUp() override {
        SetDataFolder(dir.folder());
        previousBox = platform::SetMessageBoxPort(box);
    }
    void TearDown() override {
        SetProcessLog(nullptr);
        SetDataFolder("");
        platform::SetMessageBoxPort(previousBox);
    }

    // The log files in the log folder, sorted by name.
    std::vector<std::string> logFiles() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (auto& e : std::filesystem::directory_iterator(dir.file("Log"), ec)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<TTxtLog> makeLog(const platform::Clock& clock) {
        auto log = std::make_unique<TTxtLog>(&clock);
        log->LogDir = "Log";
        log->LogName = "RodiZerad";
        return log;
    }

    testsupport::TempDir dir;
    std::shared_ptr<platform::RecordingMessageBox> box =
        std::make_shared<platform::RecordingMessageBox>();
    std::shared_ptr<platform::MessageBoxPort> previousBox;
};
