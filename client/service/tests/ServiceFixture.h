// A data folder of its own for each test, a user-interface loop with a
// message window that collects what the workers post, and a loopback server.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "client/service/WindowMessages.h"
#include "client/service/WorkerShared.h"
#include "client/service/tests/LoopbackHttpServer.h"
#include "client/shell/Configuration.h"
#include "platform/ManualMessageLoop.h"
#include "platform/MessageTarget.h"
#include "tests/support/TempDir.h"

namespace servicetest {

struct TPosted {
    unsigned number = 0;
    std::intptr_t wParam = 0;
    std::string text;
    bool hadPayload = false;
};

class ServiceFixture : public testing::Test {
  protected:
    void SetUp() override {
        SetDataFolder(dir.folder());
        ResetClosingForTests();
        window = std::make_unique<platform::MessageTarget>(loop, [this](platform::Message& m) {
            posted.push_back({m.number, m.wParam, m.text(), m.payload != nullptr});
        });
        SetMessageWindow(window->handle());
    }

    void TearDown() override {
        SetMessageWindow(0);
        window.reset();
        SetDataFolder("");
    }

    // Runs the loop until pred() holds or the time is up.
    bool runUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
        return loop.runUntil(pred, std::chrono::milliseconds(timeoutMs));
    }

    std::vector<TPosted> messages(unsigned number) const {
        std::vector<TPosted> out;
        for (const auto& p : posted) {
            if (p.number == number)
                out.push_back(p);
        }
        return out;
    }

    // The worker log lines received so far.
    std::vector<std::string> logLines() const {
        std::vector<std::string> out;
        for (const auto& p : messages(WM_TRD_LOG))
            out.push_back(p.text);
        return out;
    }

    // Number of log lines that contain `part`.
    int logCount(const std::string& part) const {
        int n = 0;
        for (const auto& line : logLines())
            n += line.find(part) != std::string::npos ? 1 : 0;
        return n;
    }

    bool waitForLog(const std::string& part, int timeoutMs = 5000) {
        return runUntil([&] { return logCount(part) > 0; }, timeoutMs);
    }

    std::string allLog() const {
        std::string all;
        for (const auto& line : logLines())
            all += line + "\n";
        return all;
    }

    testsupport::TempDir dir;
    platform::ManualMessageLoop loop;
    std::unique_ptr<platform::MessageTarget> window;
    std::vector<TPosted> posted;
};

}  // namespace servicetest
