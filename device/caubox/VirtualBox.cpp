#include "device/caubox/VirtualBox.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/caubox/BoxLog.h"
#include "device/caubox/ControlLine.h"
#include "device/caubox/ControlSocketPath.h"
#include "device/caubox/LineFormat.h"
#include "device/caubox/WavFile.h"

namespace caubox {

namespace {

constexpr char kUserNumber[] = "CAU0001";
constexpr std::size_t kMaxDtmfShown = 32;
constexpr std::size_t kMaxCallerNumber = 32;

bool IsDtmfDigit(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D');
}

bool IsCallerNumberChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '*' ||
           c == '#' || c == '+' || c == '-';
}

// A decimal or 0x-prefixed hexadecimal 32-bit integer, with an optional sign.
std::optional<int64_t> ParseInteger(const std::string& text) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

const char* kHelp =
    "OK commands: plug, unplug, ring, cid NUMBER, offhook, onhook, dtmf DIGIT, alarm, failure, "
    "voltage N, event CODE [PARAM], audio [WAVFILE], status, help";

}  // namespace

BoxOptions BoxOptions::FromEnvironment() {
    BoxOptions options;
    options.controlPath = ControlSocketPath();
    const char* unplugged = std::getenv("CAUBOX_START_UNPLUGGED");
    options.startUnplugged = unplugged != nullptr && std::strcmp(unplugged, "1") == 0;
    if (const char* sound = std::getenv("CAUBOX_AUDIO")) {
        options.initialSound = sound;
    }
    return options;
}

VirtualBox::VirtualBox(ubox_event_callback callback, BoxOptions options)
    : callback_(callback), options_(std::move(options)), epoch_(Clock::now()) {}

VirtualBox::~VirtualBox() {
    Stop();
}

int32_t VirtualBox::Start() {
    std::string error;
    if (!server_.Listen(options_.controlPath, error)) {
        BoxLog(LogLevel::Error, "cannot open the box: " + error);
        return UBOX_ERR_CONTROL_SOCKET;
    }
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        BoxLog(LogLevel::Error,
               std::string("cannot open the box: eventfd: ") + std::strerror(errno));
        server_.Close();
        return UBOX_ERR_INTERNAL;
    }
    if (!options_.initialSound.empty()) {
        WavSound sound;
        if (LoadWavForLine(options_.initialSound, sound, error)) {
            line_.SetSound(std::move(sound.samples), options_.initialSound, 0);
        } else {
            BoxLog(LogLevel::Warning, "CAUBOX_AUDIO ignored, the line stays quiet: " + error);
        }
    }
    if (!options_.startUnplugged) {
        plugInAt_ = Clock::now() + kPlugInDelay;
    }
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        BoxLog(LogLevel::Error, std::string("cannot start the box's thread: ") + e.what());
        server_.Close();
        ::close(wakeFd_);
        wakeFd_ = -1;
        return UBOX_ERR_INTERNAL;
    }
    BoxLog(LogLevel::Info, "box open, control socket '" + options_.controlPath + "'");
    return UBOX_OK;
}

void VirtualBox::Stop() {
    {
        std::lock_guard lock(tasksMutex_);
        stopping_ = true;
    }
    if (thread_.joinable()) {
        Wake();
        thread_.join();
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

bool VirtualBox::OnBoxThread() const {
    return std::this_thread::get_id() == threadId_.load();
}

int32_t VirtualBox::Call(std::function<int32_t()> work) {
    if (OnBoxThread()) {
        return work();
    }
    std::future<int32_t> result;
    {
        std::lock_guard lock(tasksMutex_);
        if (stopping_) {
            return UBOX_ERR_NOT_OPEN;
        }
        Task task{std::move(work), {}};
        result = task.result.get_future();
        tasks_.push_back(std::move(task));
    }
    Wake();
    return result.get();
}

void VirtualBox::Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

void VirtualBox::RunTasks() {
    for (;;) {
        Task task;
        {
            std::lock_guard lock(tasksMutex_);
            if (tasks_.empty()) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        int32_t result = UBOX_ERR_INTERNAL;
        try {
            result = task.work();
        } catch (const std::exception& e) {
            BoxLog(LogLevel::Error, std::string("box operation failed: ") + e.what());
        }
        task.result.set_value(result);
    }
}

void VirtualBox::FailTasks() {
    std::deque<Task> left;
    {
        std::lock_guard lock(tasksMutex_);
        left.swap(tasks_);
    }
    for (Task& task : left) {
        task.result.set_value(UBOX_ERR_NOT_OPEN);
    }
}

void VirtualBox::Run() {
    threadId_.store(std::this_thread::get_id());
    nextPumpAt_ = Clock::now();
    const ControlServer::Handler handler = [this](std::string_view line) { return Execute(line); };
    std::vector<pollfd> fds;
    for (;;) {
        RunTasks();
        {
            std::lock_guard lock(tasksMutex_);
            if (stopping_) {
                break;
            }
        }
        DoTimers(Clock::now());
        fds.clear();
        fds.push_back({wakeFd_, POLLIN, 0});
        server_.AppendPollFds(fds);
        const int ready = ::poll(fds.data(), fds.size(), NextTimeoutMs(Clock::now()));
        if (ready < 0) {
            if (errno != EINTR) {
                BoxLog(LogLevel::Error, std::string("box poll: ") + std::strerror(errno));
            }
            continue;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
        }
        server_.Handle(fds.data() + 1, fds.size() - 1, handler);
    }
    FinishRecording("the box was closed");
    server_.Close();
    FailTasks();
}

uint64_t VirtualBox::LineIndex(Clock::time_point t) const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(t - epoch_).count();
    return elapsed <= 0 ? 0 : static_cast<uint64_t>(elapsed) * kLineSampleRate / 1000000;
}

void VirtualBox::DoTimers(Clock::time_point now) {
    if (plugInAt_ && now >= *plugInAt_) {
        plugInAt_.reset();
        PlugIn();
    }
    if (recorder_.active() && now >= nextPumpAt_) {
        SyncRecorder();
        nextPumpAt_ = now + kRecordChunk;
    }
    if (line_.playbackEnd() != 0 && LineIndex(now) >= line_.playbackEnd()) {
        SyncRecorder();
        line_.StopPlayback();
    }
    if (readingVoltage_ && now >= nextVoltageAt_) {
        nextVoltageAt_ = now + kVoltageInterval;
        ++voltageStep_;
        Notify(UBOX_EVENT_LINE_VOLTAGE, LineVoltage());
    }
}

int VirtualBox::NextTimeoutMs(Clock::time_point now) const {
    Clock::time_point next = now + std::chrono::seconds(1);
    if (plugInAt_) {
        next = std::min(next, *plugInAt_);
    }
    if (recorder_.active()) {
        next = std::min(next, nextPumpAt_);
    }
    if (readingVoltage_) {
        next = std::min(next, nextVoltageAt_);
    }
    if (line_.playbackEnd() != 0) {
        next = std::min(next, epoch_ + std::chrono::microseconds(line_.playbackEnd() * 1000000 /
                                                                 kLineSampleRate));
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 1000));
}

int VirtualBox::LineVoltage() const {
    static constexpr int kJitter[] = {0, 1, -1, 2, -2, 1, 0, -1};
    const int base = offHook_ ? kOffHookVoltage : kOnHookVoltage;
    return base + kJitter[voltageStep_ % (sizeof kJitter / sizeof kJitter[0])];
}

void VirtualBox::Notify(int32_t event, intptr_t param) {
    if (event == UBOX_EVENT_CALLER_ID) {
        BoxLog(LogLevel::Info, "notification " + std::to_string(event) + " \"" +
                                   reinterpret_cast<const char*>(param) + "\"");
    } else {
        BoxLog(LogLevel::Info,
               "notification " + std::to_string(event) + " param " + std::to_string(param));
    }
    if (callback_ == nullptr) {
        return;
    }
    try {
        callback_(handle_, event, param, 0, 0, 0);
    } catch (...) {
        BoxLog(LogLevel::Error, "the notification callback threw; the box goes on");
    }
}

int32_t VirtualBox::CheckHandle(int32_t handle, const char* operation) const {
    if (!plugged_) {
        BoxLog(LogLevel::Info, std::string(operation) + ": no box is plugged in");
        return UBOX_ERR_NOT_PLUGGED;
    }
    if (handle != handle_) {
        BoxLog(LogLevel::Info, std::string(operation) + ": handle " + std::to_string(handle) +
                                   " is not the box's (" + std::to_string(handle_) + ")");
        return UBOX_ERR_INVALID_HANDLE;
    }
    return UBOX_OK;
}

void VirtualBox::SyncRecorder() {
    if (!recorder_.active()) {
        return;
    }
    std::string error;
    if (!recorder_.Pump(LineIndex(Clock::now()), line_, error)) {
        BoxLog(LogLevel::Error, "recording stopped: " + error);
    }
}

int32_t VirtualBox::FinishRecording(const char* why) {
    if (!recorder_.active()) {
        return UBOX_ERR_NOT_RECORDING;
    }
    const std::string path = recorder_.path();
    std::string error;
    if (!recorder_.Finish(LineIndex(Clock::now()), line_, error)) {
        BoxLog(LogLevel::Error, "recording '" + path + "' ended badly: " + error);
        return UBOX_ERR_FILE;
    }
    BoxLog(LogLevel::Info, "recording '" + path + "' finished: " + why);
    return UBOX_OK;
}

void VirtualBox::PlugIn() {
    plugInAt_.reset();
    plugged_ = true;
    handle_ = ++plugCount_;
    offHook_ = false;
    Notify(UBOX_EVENT_PLUG_IN, 0);
}

void VirtualBox::PlugOut() {
    if (recorder_.active()) {
        FinishRecording("the box was unplugged");
    }
    readingVoltage_ = false;
    line_.StopPlayback();
    Notify(UBOX_EVENT_PLUG_OUT, 0);
    plugged_ = false;
    offHook_ = false;
}

// ---- exports ----

int32_t VirtualBox::RecordFile(int32_t handle, std::string path, int32_t format) {
    return Call([this, handle, path = std::move(path), format] {
        if (const int32_t r = CheckHandle(handle, "ubox_record_file"); r != UBOX_OK) {
            return r;
        }
        if (path.empty()) {
            BoxLog(LogLevel::Warning, "ubox_record_file: empty path");
            return static_cast<int32_t>(UBOX_ERR_INVALID_ARGUMENT);
        }
        if (format != UBOX_FORMAT_MP3) {
            BoxLog(LogLevel::Warning, "ubox_record_file: format " + std::to_string(format) +
                                          " is not supported (MP3 is " +
                                          std::to_string(UBOX_FORMAT_MP3) + ")");
            return static_cast<int32_t>(UBOX_ERR_UNSUPPORTED_FORMAT);
        }
        if (recorder_.active()) {
            FinishRecording("a new recording began");
        }
        std::string error;
        bool encoderFault = false;
        if (!recorder_.Start(path, LineIndex(Clock::now()), error, encoderFault)) {
            BoxLog(LogLevel::Error, "ubox_record_file: " + error);
            return static_cast<int32_t>(encoderFault ? UBOX_ERR_ENCODER : UBOX_ERR_FILE);
        }
        nextPumpAt_ = Clock::now() + kRecordChunk;
        Wake();  // the poll timeout is recomputed with the recorder running
        BoxLog(LogLevel::Info, "recording '" + path + "'");
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::StopRecord(int32_t handle) {
    return Call([this, handle] {
        if (const int32_t r = CheckHandle(handle, "ubox_stop_record"); r != UBOX_OK) {
            return r;
        }
        return FinishRecording("ubox_stop_record");
    });
}

int32_t VirtualBox::PlayFile(int32_t handle, std::string path) {
    return Call([this, handle, path = std::move(path)] {
        if (const int32_t r = CheckHandle(handle, "ubox_play_file"); r != UBOX_OK) {
            return r;
        }
        if (::access(path.c_str(), R_OK) != 0) {
            BoxLog(LogLevel::Warning,
                   "ubox_play_file: cannot read '" + path + "': " + std::strerror(errno));
            return static_cast<int32_t>(UBOX_ERR_FILE);
        }
        WavSound sound;
        std::string error;
        if (!LoadWavForLine(path, sound, error)) {
            BoxLog(LogLevel::Warning, "ubox_play_file: " + error);
            return static_cast<int32_t>(UBOX_ERR_BAD_AUDIO);
        }
        SyncRecorder();
        line_.StartPlayback(std::move(sound.samples), path, LineIndex(Clock::now()));
        Wake();
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::StopPlay(int32_t handle) {
    return Call([this, handle] {
        if (const int32_t r = CheckHandle(handle, "ubox_stop_play"); r != UBOX_OK) {
            return r;
        }
        SyncRecorder();
        line_.StopPlayback();
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::SendDtmf(int32_t handle, int32_t dtmf) {
    return Call([this, handle, dtmf] {
        if (const int32_t r = CheckHandle(handle, "ubox_send_dtmf"); r != UBOX_OK) {
            return r;
        }
        const char digit = static_cast<char>(dtmf & 0xFF);
        if (!IsDtmfDigit(digit)) {
            BoxLog(LogLevel::Warning,
                   "ubox_send_dtmf: " + std::to_string(dtmf) + " is not a DTMF digit");
            return static_cast<int32_t>(UBOX_ERR_INVALID_ARGUMENT);
        }
        if (!offHook_) {
            BoxLog(LogLevel::Warning, "ubox_send_dtmf: the telephone is on-hook");
            return static_cast<int32_t>(UBOX_ERR_ON_HOOK);
        }
        dtmfSent_ += digit;
        if (dtmfSent_.size() > kMaxDtmfShown) {
            dtmfSent_.erase(0, dtmfSent_.size() - kMaxDtmfShown);
        }
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::SetSpeakerVolume(int32_t handle, int32_t volume) {
    return Call([this, handle, volume] {
        if (const int32_t r = CheckHandle(handle, "ubox_set_Speakervolume"); r != UBOX_OK) {
            return r;
        }
        speakerVolume_ = volume;
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::GetVersion(int32_t handle, float* version) {
    return Call([this, handle, version] {
        if (version == nullptr) {
            return static_cast<int32_t>(UBOX_ERR_INVALID_ARGUMENT);
        }
        if (const int32_t r = CheckHandle(handle, "ubox_get_device_versionnum"); r != UBOX_OK) {
            return r;
        }
        *version = kVersion;
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::StartReadLineVoltage(int32_t handle) {
    return Call([this, handle] {
        if (const int32_t r = CheckHandle(handle, "ubox_start_read_line_voltage"); r != UBOX_OK) {
            return r;
        }
        if (!readingVoltage_) {
            readingVoltage_ = true;
            nextVoltageAt_ = Clock::now() + kVoltageInterval;
            Wake();
        }
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::StopReadLineVoltage(int32_t handle) {
    return Call([this, handle] {
        if (const int32_t r = CheckHandle(handle, "ubox_stop_read_line_voltage"); r != UBOX_OK) {
            return r;
        }
        readingVoltage_ = false;
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::CloseAgc(int32_t handle, int32_t off) {
    return Call([this, handle, off] {
        if (const int32_t r = CheckHandle(handle, "ubox_close_agc"); r != UBOX_OK) {
            return r;
        }
        if (off != 0 && off != 1) {
            return static_cast<int32_t>(UBOX_ERR_INVALID_ARGUMENT);
        }
        agcOff_ = off == 1;
        return static_cast<int32_t>(UBOX_OK);
    });
}

int32_t VirtualBox::GetUserNumber(int32_t handle, char* buffer, int32_t size) {
    return Call([this, handle, buffer, size] {
        if (buffer == nullptr || size <= 0) {
            return static_cast<int32_t>(UBOX_ERR_INVALID_ARGUMENT);
        }
        if (const int32_t r = CheckHandle(handle, "ubox_get_usernum"); r != UBOX_OK) {
            return r;
        }
        const std::size_t n = std::min(sizeof kUserNumber - 1, static_cast<std::size_t>(size) - 1);
        std::memcpy(buffer, kUserNumber, n);
        buffer[n] = '\0';
        return static_cast<int32_t>(UBOX_OK);
    });
}

// ---- control commands ----

std::string VirtualBox::Execute(std::string_view lineText) {
    const ControlCommand command = SplitControlLine(lineText);
    std::string answer;
    if (command.name.empty()) {
        answer = "ERR empty command";
    } else if (command.name == "status") {
        answer = command.argument.empty() ? Status() : "ERR usage: status";
    } else if (command.name == "help") {
        answer = kHelp;
    } else if (command.name == "audio") {
        answer = ExecuteAudio(command.argument);
    } else if (command.name == "event") {
        answer = ExecuteEvent(command.argument);
    } else {
        answer = ExecuteNotifyCommand(command.name, command.argument);
    }
    BoxLog(answer.starts_with("OK") ? LogLevel::Info : LogLevel::Warning,
           "control '" + std::string(lineText.substr(0, 80)) + "' -> " + answer);
    return answer;
}

std::string VirtualBox::ExecuteNotifyCommand(const std::string& name, const std::string& argument) {
    static const char* const kNoArgument[] = {"plug",   "unplug", "ring",   "offhook",
                                              "onhook", "alarm",  "failure"};
    const bool takesNoArgument =
        std::find_if(std::begin(kNoArgument), std::end(kNoArgument),
                     [&](const char* n) { return name == n; }) != std::end(kNoArgument);
    if (takesNoArgument && !argument.empty()) {
        return "ERR usage: " + name + " (no argument)";
    }
    if (name == "plug") {
        if (plugged_) {
            return "ERR the box is already plugged in";
        }
        PlugIn();
        return "OK";
    }
    const bool known = takesNoArgument || name == "cid" || name == "dtmf" || name == "voltage";
    if (!known) {
        std::string shown = name.substr(0, 40);
        return "ERR unknown command '" + shown + "' (try 'help')";
    }
    if (!plugged_) {
        return "ERR the box is unplugged";
    }
    if (name == "unplug") {
        PlugOut();
        return "OK";
    }
    if (name == "ring") {
        if (offHook_) {
            return "ERR the telephone is off-hook";
        }
        Notify(UBOX_EVENT_RING, 0);
        return "OK";
    }
    if (name == "offhook") {
        if (offHook_) {
            return "ERR the telephone is already off-hook";
        }
        offHook_ = true;
        Notify(UBOX_EVENT_OFF_HOOK, 0);
        return "OK";
    }
    if (name == "onhook") {
        if (!offHook_) {
            return "ERR the telephone is already on-hook";
        }
        offHook_ = false;
        Notify(UBOX_EVENT_HANG_UP, 0);
        return "OK";
    }
    if (name == "alarm") {
        Notify(UBOX_EVENT_ALARM, 0);
        return "OK";
    }
    if (name == "failure") {
        Notify(UBOX_EVENT_FAILURE, 0);
        return "OK";
    }
    if (name == "cid") {
        const bool valid = !argument.empty() && argument.size() <= kMaxCallerNumber &&
                           std::all_of(argument.begin(), argument.end(), IsCallerNumberChar);
        if (!valid) {
            return "ERR usage: cid NUMBER (1 to " + std::to_string(kMaxCallerNumber) +
                   " of 0-9 A-Z * # + -)";
        }
        Notify(UBOX_EVENT_CALLER_ID, reinterpret_cast<intptr_t>(argument.c_str()));
        return "OK";
    }
    if (name == "dtmf") {
        if (argument.size() != 1 || !IsDtmfDigit(argument[0])) {
            return "ERR usage: dtmf DIGIT (one of 0-9 * # A-D)";
        }
        Notify(UBOX_EVENT_DTMF, UBOX_DTMF_PARAM(argument[0]));
        return "OK";
    }
    // voltage
    const std::optional<int64_t> value = ParseInteger(argument);
    if (!value || *value < 0 || *value > 255) {
        return "ERR usage: voltage N (0 to 255)";
    }
    Notify(UBOX_EVENT_LINE_VOLTAGE, static_cast<intptr_t>(*value));
    return "OK";
}

std::string VirtualBox::ExecuteEvent(const std::string& argument) {
    const ControlCommand parts = SplitControlLine(argument);
    const std::optional<int64_t> code = ParseInteger(parts.name);
    if (!code || *code < INT32_MIN || *code > INT32_MAX) {
        return "ERR usage: event CODE [PARAM] (CODE a 32-bit integer)";
    }
    // For the caller number the parameter is the number's text.
    const std::string& paramText = parts.argument;
    if (*code == UBOX_EVENT_CALLER_ID) {
        Notify(static_cast<int32_t>(*code), reinterpret_cast<intptr_t>(paramText.c_str()));
        return "OK";
    }
    int64_t param = 0;
    if (!paramText.empty()) {
        const std::optional<int64_t> parsed = ParseInteger(paramText);
        if (!parsed || *parsed < INT32_MIN || *parsed > INT32_MAX) {
            return "ERR usage: event CODE [PARAM] (PARAM a 32-bit integer)";
        }
        param = *parsed;
    }
    Notify(static_cast<int32_t>(*code), static_cast<intptr_t>(param));
    return "OK";
}

std::string VirtualBox::ExecuteAudio(const std::string& argument) {
    if (argument.empty()) {
        SyncRecorder();
        line_.ClearSound();
        return "OK quiet line";
    }
    WavSound sound;
    std::string error;
    if (!LoadWavForLine(argument, sound, error)) {
        return "ERR " + error;
    }
    SyncRecorder();
    const std::size_t samples = sound.samples.size();
    line_.SetSound(std::move(sound.samples), argument, LineIndex(Clock::now()));
    return "OK " + std::to_string(samples * 1000 / kLineSampleRate) + " ms of sound, looped";
}

std::string VirtualBox::Status() const {
    std::string s = "OK plugged=" + std::string(plugged_ ? "1" : "0");
    s += " handle=" + std::to_string(plugged_ ? handle_ : 0);
    s += " hook=" + std::string(offHook_ ? "off" : "on");
    s += " voltage_reading=" + std::string(readingVoltage_ ? "1" : "0");
    s += " agc=" + std::string(agcOff_ ? "off" : "on");
    s += " volume=" + std::to_string(speakerVolume_);
    s += " dtmf_sent=" + Quoted(dtmfSent_);
    s += " audio=" + Quoted(line_.soundName());
    s += " playing=" + Quoted(line_.playbackName());
    s += " recording=" + Quoted(recorder_.active() ? recorder_.path() : std::string());
    return s;
}

}  // namespace caubox
