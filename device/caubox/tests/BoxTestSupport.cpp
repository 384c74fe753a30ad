#include "device/caubox/tests/BoxTestSupport.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "device/caubox/uboxctl/ControlClient.h"

namespace caubox::test {

NotificationLog& NotificationLog::Instance() {
    static NotificationLog log;
    return log;
}

void NotificationLog::Callback(int32_t handle, int32_t event, intptr_t param, int32_t, int32_t,
                               int32_t) {
    Notification n;
    n.handle = handle;
    n.event = event;
    n.param = param;
    if (event == UBOX_EVENT_CALLER_ID && param != 0) {
        n.text = reinterpret_cast<const char*>(param);
    }
    n.thread = std::this_thread::get_id();
    NotificationLog& log = Instance();
    std::function<void(const Notification&)> hook;
    {
        std::lock_guard lock(log.mutex_);
        log.items_.push_back(n);
        hook = log.hook_;
    }
    log.changed_.notify_all();
    if (hook) {
        hook(n);
    }
}

void NotificationLog::Clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
}

std::vector<Notification> NotificationLog::Snapshot() {
    std::lock_guard lock(mutex_);
    return items_;
}

std::size_t NotificationLog::Size() {
    std::lock_guard lock(mutex_);
    return items_.size();
}

bool NotificationLog::WaitFor(int32_t event, std::size_t from, std::chrono::milliseconds timeout,
                              Notification* found) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        for (std::size_t i = from; i < items_.size(); ++i) {
            if (items_[i].event == event) {
                if (found != nullptr) {
                    *found = items_[i];
                }
                return true;
            }
        }
        return false;
    });
}

void NotificationLog::SetHook(std::function<void(const Notification&)> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

namespace {

std::string TestTempRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp");
}

std::string UniqueName(const std::string& tag) {
    static std::atomic<int> counter{0};
    return "cb-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

std::string UniqueSocketPath(const std::string& tag) {
    return TestTempRoot() + "/" + UniqueName(tag) + ".sock";
}

// Removes the test's folders when the test program ends.
class TempFolders {
  public:
    ~TempFolders() {
        std::lock_guard lock(mutex_);
        for (const std::string& folder : folders_) {
            std::error_code ignored;
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
            std::filesystem::remove_all(folder, ignored);
        }
    }
    void Add(const std::string& folder) {
        std::lock_guard lock(mutex_);
        folders_.push_back(folder);
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> folders_;
};

std::string MakeTempFolder(const std::string& tag) {
    static TempFolders folders;
    const std::string path = TestTempRoot() + "/" + UniqueName(tag);
    std::filesystem::create_directories(path);
    folders.Add(path);
    return path;
}

OpenBox::OpenBox(bool startUnplugged, const std::string& tag) : socketPath_(UniqueSocketPath(tag)) {
    NotificationLog::Instance().SetHook(nullptr);
    NotificationLog::Instance().Clear();
    // No box thread runs yet, so nothing reads the environment meanwhile.
    ::setenv("CAUBOX_CONTROL", socketPath_.c_str(), 1);
    if (startUnplugged) {
        ::setenv("CAUBOX_START_UNPLUGGED", "1", 1);
    } else {
        ::unsetenv("CAUBOX_START_UNPLUGGED");
    }
    openResult_ = ubox_open(&NotificationLog::Callback, 0);
    if (openResult_ == UBOX_OK && !startUnplugged) {
        Notification plugged;
        if (NotificationLog::Instance().WaitFor(UBOX_EVENT_PLUG_IN, 0, std::chrono::seconds(5),
                                                &plugged)) {
            handle_ = plugged.handle;
        } else {
            ADD_FAILURE() << "the box did not report itself plugged in";
        }
    }
}

OpenBox::~OpenBox() {
    if (openResult_ == UBOX_OK) {
        EXPECT_EQ(ubox_close(), UBOX_OK);
    }
    NotificationLog::Instance().SetHook(nullptr);
}

std::string OpenBox::Command(const std::string& line) const {
    ControlClient client;
    std::string error;
    if (!client.Connect(socketPath_, error)) {
        return "(no connection: " + error + ")";
    }
    std::string answer;
    if (!client.Exchange(line, answer, error)) {
        return "(no answer: " + error + ")";
    }
    return answer;
}

void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds,
                  double frequency, double amplitude) {
    const uint32_t frames = static_cast<uint32_t>(seconds * sampleRate);
    const uint32_t dataBytes = frames * static_cast<uint32_t>(channels) * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](uint32_t v) {
        out.put(static_cast<char>(v & 0xFF));
        out.put(static_cast<char>((v >> 8) & 0xFF));
    };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<uint32_t>(channels));
    u32(static_cast<uint32_t>(sampleRate));
    u32(static_cast<uint32_t>(sampleRate * channels * 2));
    u16(static_cast<uint32_t>(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * M_PI * frequency * i / sampleRate);
        const int16_t s = static_cast<int16_t>(std::lround(v * 32767));
        for (int c = 0; c < channels; ++c) {
            u16(static_cast<uint16_t>(s));
        }
    }
}

}  // namespace caubox::test
