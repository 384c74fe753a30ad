// What the tests of Pendrel share: a private folder per test for the settings
// store, the box's control socket and the program folder; the application
// object; and a recorder of the events that reach the client's callback.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pendrel_test {

// Sets XDG_CONFIG_HOME, CAUBOX_CONTROL, QUORVEL_PROGRAM_DIR and
// PENDREL_NO_MESSAGE_BOX=1 for the life of the object, then restores them.
class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::string configHome() const { return file("config"); }
    std::string dvsFile() const { return configHome() + "/Velnorix/Lumor/DVS.ini"; }
    std::string controlSocket() const { return file("box.sock"); }

  private:
    std::string path_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Creates the widget application object once (offscreen platform).
void EnsureWidgetApplication();

// Lets the event loop run until `done` holds or the time is up; true when it holds.
bool RunUntil(const std::function<bool()>& done,
              std::chrono::milliseconds limit = std::chrono::seconds(5));
// Lets the event loop run for a while.
void RunFor(std::chrono::milliseconds time);

struct RecordedEvent {
    int channel = 0;
    int event = 0;
    int param = 0;
    std::string text;
    std::thread::id thread;
};

// The client's callback for VD_DevOpen, and what it received.
class EventRecorder {
  public:
    static void Callback(int channel, int event, int param, const char* text);
    static std::vector<RecordedEvent>& Events();
    static void Clear() { Events().clear(); }
    // Runs the event loop until an event with this code arrives after `from`.
    static bool WaitForEvent(int event, std::size_t from = 0,
                             std::chrono::milliseconds limit = std::chrono::seconds(5));
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

}  // namespace pendrel_test
