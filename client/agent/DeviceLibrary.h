// The process-wide binding of the device library: its handle, the bound
// functions, the device information record, and the receiver of the library's
// event callback (the callback carries no context, so there is one receiver).
#pragma once

#include <functional>
#include <string>

#include "device/interface/VdInterface.h"

struct TDeviceFunctions {
    VD_DevOpen_t DevOpen = nullptr;
    VD_DevClose_t DevClose = nullptr;
    VD_GetDevInfo_t GetDevInfo = nullptr;
    VD_GetChannel_t GetChannel = nullptr;
    VD_RecordFile_t RecordFile = nullptr;
    VD_StopRecord_t StopRecord = nullptr;
    VD_SendDTMF_t SendDTMF = nullptr;
    VD_Show_t Show = nullptr;
};

namespace device_library {

// Loads the library file; on failure returns false with the loader's reason.
// Any library loaded before is unloaded first.
bool Load(const std::string& path, std::string& error);
bool IsLoaded();
// The address of an export, or null.
void* Resolve(const char* name);
// Forgets the bound functions and unloads the library.
void Unload();
// The loader's handle, for tests that reach a test library's own exports.
void* Handle();

TDeviceFunctions& Functions();
VD_DevInfo& DevInfo();

// The receiver of the callback: (event, parameter, text). The owner token lets
// an agent that goes away clear its own binding and no other.
using EventReceiver = std::function<void(int event, int param, const std::string& text)>;
void BindEvents(const void* owner, EventReceiver receiver);
void UnbindEvents(const void* owner);

// The callback handed to VD_DevOpen. Drops the event while nothing is bound.
void VD_CALL EventCallback(int32_t channel, int32_t event, int32_t param, const char* text);

}  // namespace device_library
