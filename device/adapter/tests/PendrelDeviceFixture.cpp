#include "device/adapter/tests/PendrelDeviceFixture.h"

#include <thread>

#include "device/interface/VdInterface.h"

namespace pendrel_test {

namespace {
// Vendor event 25 is passed on as event 10 and changes no state: the marker.
constexpr char kMarkerCommand[] = "event 25";
constexpr int kMarkerEvent = VD_EVT_VENDOR_25;
}  // namespace

void PrintTo(const Expected& e, std::ostream* os) {
    *os << "(" << e.event << ", " << e.param << ", \"" << e.text << "\")";
}

void PendrelDeviceTest::SetUp() {
    EventRecorder::Clear();
}

void PendrelDeviceTest::TearDown() {
    VD_DevClose();
    RunFor(std::chrono::milliseconds(0));
    // The client's callback always runs on the thread that opened the device,
    // although the box notifies from a thread of its own.
    for (const auto& e : EventRecorder::Events()) {
        EXPECT_EQ(e.thread, std::this_thread::get_id()) << "event " << e.event;
    }
}

void PendrelDeviceTest::OpenPlugged() {
    ASSERT_EQ(VD_DevOpen(&EventRecorder::Callback), 0);
    ASSERT_TRUE(EventRecorder::WaitForEvent(VD_EVT_DEVICE_STATUS)) << "no plug-in report";
}

void PendrelDeviceTest::Box(const std::string& command) {
    const std::string answer = box_.send(command);
    ASSERT_TRUE(answer.starts_with("OK")) << command << " -> " << answer;
}

std::vector<Expected> PendrelDeviceTest::Step(const std::string& command,
                                              std::size_t expectedCount) {
    auto& events = EventRecorder::Events();
    const std::size_t from = events.size();
    EXPECT_TRUE(box_.send(command).starts_with("OK")) << command;
    EXPECT_TRUE(box_.send(kMarkerCommand).starts_with("OK"));
    std::size_t marker = 0;
    const bool seen = RunUntil([&] {
        for (std::size_t i = from + expectedCount; i < events.size(); ++i) {
            if (events[i].event == kMarkerEvent) {
                marker = i;
                return true;
            }
        }
        return false;
    });
    EXPECT_TRUE(seen) << "the marker after '" << command << "' never arrived";
    std::vector<Expected> raised;
    const std::size_t end = seen ? marker : events.size();
    for (std::size_t i = from; i < end; ++i) {
        raised.push_back({events[i].event, events[i].param, events[i].text});
    }
    return raised;
}

std::string PendrelDeviceTest::BoxStatus(const std::string& key) {
    const std::string status = box_.send("status");
    const std::string prefix = " " + key + "=";
    const std::size_t at = status.find(prefix);
    if (at == std::string::npos) {
        return "<no " + key + " in " + status + ">";
    }
    const std::size_t start = at + prefix.size();
    const std::size_t end = status.find(' ', start);
    return status.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace pendrel_test
