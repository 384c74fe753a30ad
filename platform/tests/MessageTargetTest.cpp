#include "platform/MessageTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ManualMessageLoop.h"

using namespace std::chrono_literals;
using platform::ManualMessageLoop;
using platform::Message;
using platform::MessagePayload;
using platform::MessageTarget;

namespace {

std::atomic<int> g_liveBlocks{0};

struct CountedBlock : MessagePayload {
    explicit CountedBlock(int s, int q) : sender(s), seq(q) { ++g_liveBlocks; }
    ~CountedBlock() override { --g_liveBlocks; }
    int sender, seq;
};

TEST(MessageTarget, ManyThreadsPostInOrderPerSenderAndNoBlockLeaks) {
    constexpr int kSenders = 8, kPerSender = 2000;
    ManualMessageLoop loop;
    std::vector<int> lastSeq(kSenders, -1);
    int received = 0;
    bool outOfOrder = false;
    MessageTarget target(loop, [&](Message& m) {
        auto* b = dynamic_cast<CountedBlock*>(m.payload.get());
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(m.number, 1136u);
        EXPECT_EQ(m.wParam, b->sender);
        if (b->seq != lastSeq[b->sender] + 1)
            outOfOrder = true;
        lastSeq[b->sender] = b->seq;
        ++received;
    });

    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int q = 0; q < kPerSender; ++q) {
                platform::PostMessageTo(target.handle(), 1136, s,
                                        std::make_unique<CountedBlock>(s, q));
            }
        });
    }
    // The user-interface thread keeps dispatching while the senders post.
    loop.runUntil([&] { return received == kSenders * kPerSender; }, 20s);
    for (auto& t : senders)
        t.join();
    loop.processPending();

    EXPECT_EQ(received, kSenders * kPerSender);
    EXPECT_FALSE(outOfOrder);
    EXPECT_EQ(g_liveBlocks.load(), 0);
}

TEST(MessageTarget, BlocksForVanishedTargetsAreFreed) {
    ManualMessageLoop loop;
    int delivered = 0;
    platform::TargetHandle gone;
    {
        MessageTarget target(loop, [&](Message&) { ++delivered; });
        gone = target.handle();
        // Queued while the target lives, delivered after it is destroyed.
        EXPECT_TRUE(platform::PostMessageTo(gone, 1, 0, std::make_unique<CountedBlock>(0, 0)));
    }
    EXPECT_FALSE(platform::PostMessageTo(gone, 1, 0, std::make_unique<CountedBlock>(0, 1)));
    EXPECT_FALSE(platform::PostTextMessage(0, 1, 0, "never"));
    EXPECT_EQ(g_liveBlocks.load(), 1);  // the queued one
    loop.processPending();
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(g_liveBlocks.load(), 0);
}

TEST(MessageTarget, LoopDestroyedWithQueuedBlocksFreesThem) {
    {
        ManualMessageLoop loop;
        MessageTarget target(loop, [](Message&) {});
        for (int i = 0; i < 10; ++i) {
            platform::PostMessageTo(target.handle(), 1, 0, std::make_unique<CountedBlock>(0, i));
        }
    }
    EXPECT_EQ(g_liveBlocks.load(), 0);
}

TEST(MessageTarget, TextBlockReachesReceiver) {
    ManualMessageLoop loop;
    std::string got;
    MessageTarget target(loop, [&](Message& m) { got = m.text(); });
    std::thread worker([&] { platform::PostTextMessage(target.handle(), 1144, 7, "<MSG> 来电"); });
    worker.join();
    loop.processPending();
    EXPECT_EQ(got, "<MSG> 来电");
}

}  // namespace
