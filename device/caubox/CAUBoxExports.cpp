// The library's exports: one virtual box per process, opened by ubox_open.
#include <memory>
#include <mutex>
#include <string>

#include "device/caubox/BoxLog.h"
#include "device/caubox/CAUBox.h"
#include "device/caubox/VirtualBox.h"

namespace {

using caubox::BoxLog;
using caubox::LogLevel;
using caubox::VirtualBox;

std::mutex g_boxMutex;
std::shared_ptr<VirtualBox> g_box;

// The open box, kept alive for the length of one call even if another
// thread closes it meanwhile (its calls then answer UBOX_ERR_NOT_OPEN).
std::shared_ptr<VirtualBox> OpenBox(const char* operation) {
    std::lock_guard lock(g_boxMutex);
    if (!g_box) {
        BoxLog(LogLevel::Warning, std::string(operation) + ": the box is not open");
    }
    return g_box;
}

template <typename Operation>
int32_t WithBox(const char* name, Operation operation) {
    const std::shared_ptr<VirtualBox> box = OpenBox(name);
    return box ? operation(*box) : static_cast<int32_t>(UBOX_ERR_NOT_OPEN);
}

}  // namespace

extern "C" {

UBOX_EXPORT int32_t UBOX_CALL ubox_open(ubox_event_callback callback, int32_t reserved) {
    if (callback == nullptr || reserved != 0) {
        BoxLog(LogLevel::Warning, "ubox_open: needs a callback and 0");
        return UBOX_ERR_INVALID_ARGUMENT;
    }
    std::lock_guard lock(g_boxMutex);
    if (g_box) {
        BoxLog(LogLevel::Warning, "ubox_open: the box is already open");
        return UBOX_ERR_ALREADY_OPEN;
    }
    try {
        auto box = std::make_shared<VirtualBox>(callback, caubox::BoxOptions::FromEnvironment());
        const int32_t result = box->Start();
        if (result == UBOX_OK) {
            g_box = std::move(box);
        }
        return result;
    } catch (const std::exception& e) {
        BoxLog(LogLevel::Error, std::string("ubox_open: ") + e.what());
        return UBOX_ERR_INTERNAL;
    }
}

UBOX_EXPORT int32_t UBOX_CALL ubox_close(void) {
    std::shared_ptr<VirtualBox> box;
    {
        std::lock_guard lock(g_boxMutex);
        if (!g_box) {
            BoxLog(LogLevel::Warning, "ubox_close: the box is not open");
            return UBOX_ERR_NOT_OPEN;
        }
        if (g_box->OnBoxThread()) {
            BoxLog(LogLevel::Warning, "ubox_close: not allowed from the notification callback");
            return UBOX_ERR_WRONG_THREAD;
        }
        box = std::move(g_box);
    }
    // Outside the lock: the callback may still call an export while the thread ends.
    box->Stop();
    return UBOX_OK;
}

UBOX_EXPORT int32_t UBOX_CALL ubox_record_file(int32_t handle, const char* path, int32_t format) {
    if (path == nullptr) {
        return UBOX_ERR_INVALID_ARGUMENT;
    }
    return WithBox("ubox_record_file",
                   [&](VirtualBox& box) { return box.RecordFile(handle, path, format); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_stop_record(int32_t handle) {
    return WithBox("ubox_stop_record", [&](VirtualBox& box) { return box.StopRecord(handle); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_play_file(int32_t handle, const char* path) {
    if (path == nullptr) {
        return UBOX_ERR_INVALID_ARGUMENT;
    }
    return WithBox("ubox_play_file", [&](VirtualBox& box) { return box.PlayFile(handle, path); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_stop_play(int32_t handle) {
    return WithBox("ubox_stop_play", [&](VirtualBox& box) { return box.StopPlay(handle); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_send_dtmf(int32_t handle, int32_t dtmf) {
    return WithBox("ubox_send_dtmf", [&](VirtualBox& box) { return box.SendDtmf(handle, dtmf); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_set_Speakervolume(int32_t handle, int32_t volume) {
    return WithBox("ubox_set_Speakervolume",
                   [&](VirtualBox& box) { return box.SetSpeakerVolume(handle, volume); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_get_device_versionnum(int32_t handle, float* version) {
    return WithBox("ubox_get_device_versionnum",
                   [&](VirtualBox& box) { return box.GetVersion(handle, version); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_start_read_line_voltage(int32_t handle) {
    return WithBox("ubox_start_read_line_voltage",
                   [&](VirtualBox& box) { return box.StartReadLineVoltage(handle); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_stop_read_line_voltage(int32_t handle) {
    return WithBox("ubox_stop_read_line_voltage",
                   [&](VirtualBox& box) { return box.StopReadLineVoltage(handle); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_close_agc(int32_t handle, int32_t off) {
    return WithBox("ubox_close_agc", [&](VirtualBox& box) { return box.CloseAgc(handle, off); });
}

UBOX_EXPORT int32_t UBOX_CALL ubox_get_usernum(int32_t handle, char* buffer, int32_t size) {
    return WithBox("ubox_get_usernum",
                   [&](VirtualBox& box) { return box.GetUserNumber(handle, buffer, size); });
}

}  // extern "C"
