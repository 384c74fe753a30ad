#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "ShellFixture.h"

namespace {

class TxtLogThreads : public ShellFixture {};

// Workers write directly while the client closes; lines never interleave.
TEST_F(TxtLogThreads, ConcurrentWritesKeepWholeLines) {
    platform::FakeClock clock;
    auto log = makeLog(clock);
    SetProcessLog(log.get());
    constexpr int kThreads = 4, kLines = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) {
                if (i % 2) {
                    log->WriteLog("<MSG> worker " + std::to_string(t) + " line " +
                                  std::to_string(i));
                } else {
                    LogRun("worker " + std::to_string(t) + " line " + std::to_string(i));
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();
    std::istringstream in(testsupport::ReadFile(log->currentFileName()));
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.back(), '\r');
        ASSERT_EQ(line.rfind("[03-15 09:30:12:047] <", 0), 0u) << line;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

}  // namespace
