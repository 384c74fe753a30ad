// A device library for tests, built in several variants (compile definitions):
// TESTDEV_HAS_DEVOPEN exports VD_DevOpen; TESTDEV_CHANNELS is the channel
// count that VD_GetDevInfo reports after an open; TESTDEV_NO_GETDEVINFO
// leaves VD_GetDevInfo out. The TestDev_ exports let a
// test fire events through the agent's callback and see what the agent asked.
// With TESTDEV_PLUG_ON_OPEN=1 in the environment, VD_DevOpen reports the box
// as plugged in at once (for programs that have no test driving them), and
// with TESTDEV_CLOSE_MARKER=path, VD_DevClose appends a line to that file.
#define VD_IMPLEMENTATION
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "device/interface/VdInterface.h"

namespace {
VD_EventCallback g_callback = nullptr;
bool g_opened = false;
int g_recordStatus = 0;
int g_openCount = 0, g_closeCount = 0, g_recordCount = 0, g_stopCount = 0;
std::string g_lastRecordPath;
}  // namespace

extern "C" {

#ifdef TESTDEV_HAS_DEVOPEN
VD_EXPORT int16_t VD_CALL VD_DevOpen(VD_EventCallback callback) {
    ++g_openCount;
    g_callback = callback;
    g_opened = TESTDEV_CHANNELS > 0;
    const char* plug = std::getenv("TESTDEV_PLUG_ON_OPEN");
    if (g_opened && plug && std::strcmp(plug, "1") == 0 && g_callback) {
        g_callback(3, VD_EVT_DEVICE_STATUS, VD_STATUS_PLUGGED, "USB 插入");
    }
    return g_opened ? 0 : 5;
}
#endif

VD_EXPORT int32_t VD_CALL VD_DevClose(void) {
    ++g_closeCount;
    // Lets a test see the close after the library is gone.
    if (const char* marker = std::getenv("TESTDEV_CLOSE_MARKER")) {
        if (FILE* f = std::fopen(marker, "a")) {
            std::fputs("close\n", f);
            std::fclose(f);
        }
    }
    g_callback = nullptr;
    g_opened = false;
    return 0;
}

#ifndef TESTDEV_NO_GETDEVINFO
VD_EXPORT int32_t VD_CALL VD_GetDevInfo(VD_DevInfo* info) {
    std::memset(info, 0, sizeof *info);
    info->version = 0x0100;
    info->deviceName = VD_TEXT_DEVICE_NAME;
    info->word18 = 1;
    if (g_opened) {
        info->channels = TESTDEV_CHANNELS;
        info->opened = 1;
    }
    return 0;
}
#endif

VD_EXPORT int16_t VD_CALL VD_GetChannel(int16_t index, int32_t* channel) {
    if (index != 0)
        return -1;
    *channel = g_opened ? 3 : 0;
    return 1;
}

VD_EXPORT int16_t VD_CALL VD_RecordFile(int32_t /*channel*/, const char* path) {
    ++g_recordCount;
    g_lastRecordPath = path ? path : "";
    return static_cast<int16_t>(g_recordStatus);
}

VD_EXPORT void VD_CALL VD_StopRecord(int32_t /*channel*/) {
    ++g_stopCount;
}
VD_EXPORT int16_t VD_CALL VD_SendDTMF(int32_t, int32_t) {
    return -1;
}
VD_EXPORT void VD_CALL VD_Show(int32_t) {}

// --- test hooks ---
VD_EXPORT void TestDev_Fire(int32_t event, int32_t param, const char* text) {
    if (g_callback)
        g_callback(3, event, param, text);
}
VD_EXPORT void TestDev_SetRecordStatus(int32_t status) {
    g_recordStatus = status;
}
VD_EXPORT int32_t TestDev_OpenCount(void) {
    return g_openCount;
}
VD_EXPORT int32_t TestDev_CloseCount(void) {
    return g_closeCount;
}
VD_EXPORT int32_t TestDev_RecordCount(void) {
    return g_recordCount;
}
VD_EXPORT int32_t TestDev_StopCount(void) {
    return g_stopCount;
}
VD_EXPORT const char* TestDev_LastRecordPath(void) {
    return g_lastRecordPath.c_str();
}
}
