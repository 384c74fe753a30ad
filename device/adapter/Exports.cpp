// The thirteen exports of the device interface. Every export is called on the
// thread that opened the device; no exception leaves the library.
#define VD_IMPLEMENTATION
#include <cstdio>
#include <exception>

#include "device/adapter/PendrelLibrary.h"
#include "device/interface/VdInterface.h"

using pendrel::PendrelLibrary;

namespace {

constexpr std::int16_t kFailed16 = -1;
constexpr std::int32_t kFailed32 = -1;

void Complain(const char* exportName, const char* what) {
    std::fprintf(stderr, "Pendrel: %s: %s\n", exportName, what);
}

// Runs an export's body; an escaping exception becomes `failed`.
template <typename R, typename Body>
R Guarded(const char* exportName, R failed, Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        Complain(exportName, e.what());
    } catch (...) {
        Complain(exportName, "unknown error");
    }
    return failed;
}

template <typename Body>
void GuardedVoid(const char* exportName, Body body) {
    Guarded<int>(exportName, 0, [&] {
        body();
        return 0;
    });
}

}  // namespace

extern "C" {

VD_EXPORT int16_t VD_CALL VD_DevOpen(VD_EventCallback callback) {
    return Guarded<int16_t>("VD_DevOpen", pendrel::TPendrelLibrary::kOpenFailed,
                            [&] { return PendrelLibrary().open(callback); });
}

VD_EXPORT int32_t VD_CALL VD_DevClose(void) {
    return Guarded<int32_t>("VD_DevClose", kFailed32, [] {
        if (!PendrelLibrary().close()) {
            Complain("VD_DevClose", "the device is not open");
            return kFailed32;
        }
        return 0;
    });
}

VD_EXPORT void VD_CALL VD_SetLang(int32_t lang) {
    GuardedVoid("VD_SetLang", [&] {
        if (!PendrelLibrary().setLang(lang)) {
            Complain("VD_SetLang", "unknown language, ignored");
        }
    });
}

VD_EXPORT void VD_CALL VD_Show(int32_t) {
    GuardedVoid("VD_Show", [] {
        if (!PendrelLibrary().show()) {
            Complain("VD_Show", "no setup dialog (the device is not open)");
        }
    });
}

VD_EXPORT int16_t VD_CALL VD_GetChannel(int16_t index, int32_t* channel) {
    return Guarded<int16_t>("VD_GetChannel", kFailed16, [&]() -> int16_t {
        if (index != 0 || channel == nullptr) {
            return kFailed16;
        }
        *channel = PendrelLibrary().adapter().channel();
        return 1;
    });
}

VD_EXPORT int32_t VD_CALL VD_GetDevInfo(VD_DevInfo* info) {
    return Guarded<int32_t>("VD_GetDevInfo", kFailed32, [&] {
        if (info == nullptr) {
            Complain("VD_GetDevInfo", "no record given");
            return kFailed32;
        }
        *info = PendrelLibrary().adapter().devInfo();
        return 0;
    });
}

VD_EXPORT int16_t VD_CALL VD_SendDTMF(int32_t, int32_t dtmf) {
    return Guarded<int16_t>("VD_SendDTMF", kFailed16,
                            [&] { return PendrelLibrary().adapter().sendDtmf(dtmf); });
}

VD_EXPORT int16_t VD_CALL VD_RecordFile(int32_t, const char* path) {
    return Guarded<int16_t>("VD_RecordFile", kFailed16,
                            [&] { return PendrelLibrary().adapter().recordFile(path); });
}

VD_EXPORT void VD_CALL VD_StopRecord(int32_t) {
    GuardedVoid("VD_StopRecord", [] { PendrelLibrary().adapter().stopRecord(); });
}

VD_EXPORT int32_t VD_CALL VD_PlayFile(int32_t, const char* path) {
    return Guarded<int32_t>("VD_PlayFile", kFailed32,
                            [&] { return PendrelLibrary().adapter().playFile(path); });
}

VD_EXPORT void VD_CALL VD_StopPlay(int32_t) {
    GuardedVoid("VD_StopPlay", [] { PendrelLibrary().adapter().stopPlay(); });
}

VD_EXPORT void VD_CALL VD_SetPlayVol(int32_t, int32_t volume) {
    GuardedVoid("VD_SetPlayVol", [&] { PendrelLibrary().adapter().setPlayVolume(volume); });
}

VD_EXPORT int32_t VD_CALL VD_GetPlayVol(int32_t* a, int32_t* b, int32_t* c) {
    if (a == nullptr || b == nullptr || c == nullptr) {
        Complain("VD_GetPlayVol", "an output is missing");
        return kFailed32;
    }
    *a = 6;
    *b = -12;
    *c = 0;
    return 0;
}

}  // extern "C"
