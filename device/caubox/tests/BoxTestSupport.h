// Support for tests that drive the virtual box in process: a notification
// log fed by the box's callback, and a box opened on a private control socket.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/caubox/CAUBox.h"

namespace caubox::test {

struct Notification {
    int32_t handle = 0;
    int32_t event = 0;
    intptr_t param = 0;
    std::string text;  // the caller number of UBOX_EVENT_CALLER_ID
    std::thread::id thread;
};

// Everything the box's callback received. One per process, as the box is.
class NotificationLog {
  public:
    static NotificationLog& Instance();
    static void Callback(int32_t handle, int32_t event, intptr_t param, int32_t r1, int32_t r2,
                         int32_t r3);

    void Clear();
    std::vector<Notification> Snapshot();
    // Waits until a notification with this event code arrives at or after index `from`.
    bool WaitFor(int32_t event, std::size_t from = 0,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5),
                 Notification* found = nullptr);
    std::size_t Size();

    // Runs inside the callback, on the box's thread (for re-entrant calls).
    void SetHook(std::function<void(const Notification&)> hook);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Notification> items_;
    std::function<void(const Notification&)> hook_;
};

// A fresh socket path under the test's temporary folder.
std::string UniqueSocketPath(const std::string& tag);
// A fresh empty folder for the test's files.
std::string MakeTempFolder(const std::string& tag);

// Opens the box on a private socket and waits for its plug-in report
// (unless started unplugged); closes it at the end.
class OpenBox {
  public:
    explicit OpenBox(bool startUnplugged = false, const std::string& tag = "box");
    ~OpenBox();
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;

    int32_t openResult() const { return openResult_; }
    int32_t handle() const { return handle_; }
    const std::string& socketPath() const { return socketPath_; }
    // One command over a new connection; the answer line.
    std::string Command(const std::string& line) const;

  private:
    std::string socketPath_;
    int32_t openResult_ = UBOX_ERR_NOT_OPEN;
    int32_t handle_ = 0;
};

// Writes a 16-bit PCM WAV file of a sine tone.
void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds,
                  double frequency, double amplitude);

}  // namespace caubox::test
