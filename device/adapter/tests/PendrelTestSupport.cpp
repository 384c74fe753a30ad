#include "device/adapter/tests/PendrelTestSupport.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pendrel_test {

TestFolder::TestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pendrel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a test folder");
    }
    path_ = pattern;
    std::filesystem::create_directories(configHome());
    const std::pair<const char*, std::string> vars[] = {
        {"XDG_CONFIG_HOME", configHome()},
        {"CAUBOX_CONTROL", controlSocket()},
        {"QUORVEL_PROGRAM_DIR", path_},
        {"PENDREL_NO_MESSAGE_BOX", "1"},
    };
    for (const auto& [name, value] : vars) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
}

TestFolder::~TestFolder() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void EnsureWidgetApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static int argc = 1;
    static char name[] = "pendrel-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
}

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) {
            return true;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Outside a running event loop, objects deleted later need a push.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (std::chrono::steady_clock::now() >= end) {
            return done();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void RunFor(std::chrono::milliseconds time) {
    RunUntil([] { return false; }, time);
}

void EventRecorder::Callback(int channel, int event, int param, const char* text) {
    Events().push_back({channel, event, param, text, std::this_thread::get_id()});
}

std::vector<RecordedEvent>& EventRecorder::Events() {
    static std::vector<RecordedEvent> events;
    return events;
}

bool EventRecorder::WaitForEvent(int event, std::size_t from, std::chrono::milliseconds limit) {
    return RunUntil(
        [&] {
            const auto& all = Events();
            for (std::size_t i = from; i < all.size(); ++i) {
                if (all[i].event == event) {
                    return true;
                }
            }
            return false;
        },
        limit);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace pendrel_test
