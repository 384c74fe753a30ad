#include "platform/qt/QtMessageLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <thread>

#include "platform/qt/QtPeriodicTimer.h"

namespace {

TEST(QtMessageLoop, WorkerPostsAreDeliveredOnTheGuiThreadInOrder) {
    int argc = 1;
    char arg0[] = "test";
    char* argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    platform::QtMessageLoop loop;
    const auto uiThread = std::this_thread::get_id();
    std::vector<int> seen;
    bool wrongThread = false;
    platform::MessageTarget target(loop, [&](platform::Message& m) {
        if (std::this_thread::get_id() != uiThread)
            wrongThread = true;
        seen.push_back(static_cast<int>(m.wParam));
        if (seen.size() == 500)
            app.quit();
    });
    std::thread worker([&] {
        for (int i = 0; i < 500; ++i)
            platform::PostTextMessage(target.handle(), 1136, i, "x");
    });
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    app.exec();
    worker.join();
    ASSERT_EQ(seen.size(), 500u);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(seen[i], i);
    EXPECT_FALSE(wrongThread);

    platform::QtPeriodicTimer timer;
    int ticks = 0;
    timer.start(5, [&] {
        if (++ticks == 3) {
            timer.stop();
            app.quit();
        }
    });
    app.exec();
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.isActive());
}

}  // namespace
