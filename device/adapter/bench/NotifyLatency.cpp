// Notification-to-callback latency of Pendrel at a steady rate.
//
// "direct": a thread calls the box notification entry point 1,000 times a
// second, as the box's thread does; the time runs from that call to the
// client's callback on the user-interface thread.
// "box": the same through the virtual box, driven over its control socket
// ("event 11"); the time also covers the socket and the box's thread.
//
// Usage: pendrel_notify_latency [count]   (default 5000 per mode)
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/adapter/NotifyBridge.h"
#include "device/adapter/PendrelLibrary.h"
#include "device/adapter/tests/BoxControl.h"
#include "device/caubox/CAUBox.h"

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

struct Run {
    std::unique_ptr<std::atomic<std::int64_t>[]> sentAt;
    std::vector<double> latencyMs;
    int count = 0;
    int firstRing = -1;
};

Run* gRun = nullptr;

void Callback(int, int event, int param, const char*) {
    if (gRun == nullptr || event != 0) {
        return;
    }
    const std::int64_t now = NowNs();
    if (gRun->firstRing < 0) {
        gRun->firstRing = param;
    }
    const int i = param - gRun->firstRing;
    if (i >= 0 && i < gRun->count) {
        gRun->latencyMs.push_back((now - gRun->sentAt[i].load()) / 1e6);
    }
}

void Report(const char* mode, std::vector<double> v) {
    if (v.empty()) {
        std::printf("%-6s no samples\n", mode);
        return;
    }
    std::sort(v.begin(), v.end());
    auto at = [&v](double q) { return v[static_cast<std::size_t>(q * (v.size() - 1))]; };
    std::printf("%-6s n=%zu  median=%.3f ms  p99=%.3f ms  max=%.3f ms\n", mode, v.size(), at(0.5),
                at(0.99), v.back());
}

// Sends `count` notifications at 1,000 a second from a thread of its own while
// the user-interface thread runs its event loop.
std::vector<double> Measure(QApplication& app, int count,
                            const std::function<void(int i)>& sendOne) {
    Run run;
    run.count = count;
    run.sentAt = std::make_unique<std::atomic<std::int64_t>[]>(count);
    run.latencyMs.reserve(count);
    gRun = &run;
    std::thread sender([&] {
        auto next = Clock::now();
        for (int i = 0; i < count; ++i) {
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
            run.sentAt[i].store(NowNs());
            sendOne(i);
        }
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (static_cast<int>(run.latencyMs.size()) >= count) {
            app.quit();
        }
    });
    poll.start(50);
    QTimer::singleShot(3 * count + 5000, &app, [&app] { app.quit(); });  // never hang
    app.exec();
    sender.join();
    gRun = nullptr;
    return run.latencyMs;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const auto folder =
        std::filesystem::temp_directory_path() / ("pendrel-latency-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ::setenv("CAUBOX_CONTROL", (folder / "box.sock").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    ::setenv("QUORVEL_PROGRAM_DIR", folder.c_str(), 1);
    ::setenv("PENDREL_NO_MESSAGE_BOX", "1", 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    pendrel::TPendrelLibrary& library = pendrel::PendrelLibrary();
    if (library.open(&Callback) != 0) {
        std::fprintf(stderr, "the device did not open\n");
        return 1;
    }
    QTimer::singleShot(500, &app, [&app] { app.quit(); });  // the plug-in report
    app.exec();
    const std::int32_t handle = library.adapter().boxHandle();

    Report("direct", Measure(app, count, [handle](int) {
               pendrel::PendrelBoxNotify(handle, UBOX_EVENT_RING, 0, 0, 0, 0);
           }));
    pendrel_test::BoxControl box((folder / "box.sock").string());
    Report("box", Measure(app, count, [&box](int) { box.send("event 11"); }));

    library.close();
    std::filesystem::remove_all(folder);
    return 0;
}
