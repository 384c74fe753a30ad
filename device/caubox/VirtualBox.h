// The virtual USB box: one per open library. Its own thread owns the line
// state, the recorder and the control socket; the library's exports hand
// their work to that thread and wait for the result, and every notification
// leaves from it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "device/caubox/CAUBox.h"
#include "device/caubox/ControlServer.h"
#include "device/caubox/LineMixer.h"
#include "device/caubox/LineRecorder.h"

namespace caubox {

struct BoxOptions {
    std::string controlPath;
    bool startUnplugged = false;
    std::string initialSound;  // WAV file for the line, empty for a quiet line

    // CAUBOX_CONTROL (see ControlSocketPath), CAUBOX_START_UNPLUGGED=1, CAUBOX_AUDIO.
    static BoxOptions FromEnvironment();
};

class VirtualBox {
  public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kPlugInDelay{100};
    static constexpr std::chrono::milliseconds kRecordChunk{20};
    static constexpr std::chrono::milliseconds kVoltageInterval{100};
    static constexpr int kOnHookVoltage = 48;
    static constexpr int kOffHookVoltage = 8;
    static constexpr float kVersion = 2.1f;

    VirtualBox(ubox_event_callback callback, BoxOptions options);
    ~VirtualBox();
    VirtualBox(const VirtualBox&) = delete;
    VirtualBox& operator=(const VirtualBox&) = delete;

    // Binds the control socket and starts the thread. UBOX_OK or an error code.
    int32_t Start();
    // Finishes a running recording, closes the socket and joins the thread.
    void Stop();
    bool OnBoxThread() const;

    // The exports' work, run on the box's thread.
    int32_t RecordFile(int32_t handle, std::string path, int32_t format);
    int32_t StopRecord(int32_t handle);
    int32_t PlayFile(int32_t handle, std::string path);
    int32_t StopPlay(int32_t handle);
    int32_t SendDtmf(int32_t handle, int32_t dtmf);
    int32_t SetSpeakerVolume(int32_t handle, int32_t volume);
    int32_t GetVersion(int32_t handle, float* version);
    int32_t StartReadLineVoltage(int32_t handle);
    int32_t StopReadLineVoltage(int32_t handle);
    int32_t CloseAgc(int32_t handle, int32_t off);
    int32_t GetUserNumber(int32_t handle, char* buffer, int32_t size);

  private:
    struct Task {
        std::function<int32_t()> work;
        std::promise<int32_t> result;
    };

    // Runs work on the box's thread and waits; inline when already there.
    int32_t Call(std::function<int32_t()> work);
    void Run();
    void RunTasks();
    void FailTasks();
    void Wake();
    void DoTimers(Clock::time_point now);
    int NextTimeoutMs(Clock::time_point now) const;

    uint64_t LineIndex(Clock::time_point t) const;
    int32_t CheckHandle(int32_t handle, const char* operation) const;
    void Notify(int32_t event, intptr_t param);
    // Brings the recording up to now, before anything on the line changes.
    void SyncRecorder();
    int32_t FinishRecording(const char* why);

    void PlugIn();
    void PlugOut();
    int LineVoltage() const;

    std::string Execute(std::string_view line);
    std::string ExecuteNotifyCommand(const std::string& name, const std::string& argument);
    std::string ExecuteEvent(const std::string& argument);
    std::string ExecuteAudio(const std::string& argument);
    std::string Status() const;

    const ubox_event_callback callback_;
    const BoxOptions options_;
    Clock::time_point epoch_;

    std::mutex tasksMutex_;
    std::deque<Task> tasks_;
    bool stopping_ = false;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};

    // Owned by the box's thread from Start on.
    ControlServer server_;
    LineMixer line_;
    LineRecorder recorder_;
    std::optional<Clock::time_point> plugInAt_;
    bool plugged_ = false;
    int32_t handle_ = 0;
    int32_t plugCount_ = 0;
    bool offHook_ = false;
    bool agcOff_ = false;
    int32_t speakerVolume_ = 0;
    std::string dtmfSent_;
    bool readingVoltage_ = false;
    Clock::time_point nextVoltageAt_;
    unsigned voltageStep_ = 0;
    Clock::time_point nextPumpAt_;
};

}  // namespace caubox
