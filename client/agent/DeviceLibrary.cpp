#include "client/agent/DeviceLibrary.h"

#include <dlfcn.h>

namespace device_library {

namespace {
void* g_handle = nullptr;
TDeviceFunctions g_functions;
VD_DevInfo g_devInfo{};
const void* g_owner = nullptr;
EventReceiver g_receiver;
}  // namespace

bool Load(const std::string& path, std::string& error) {
    Unload();
    dlerror();
    g_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!g_handle) {
        const char* reason = dlerror();
        error = reason ? reason : "dlopen failed";
        return false;
    }
    return true;
}

bool IsLoaded() {
    return g_handle != nullptr;
}

void* Resolve(const char* name) {
    return g_handle ? dlsym(g_handle, name) : nullptr;
}

void Unload() {
    g_functions = TDeviceFunctions{};
    if (g_handle) {
        dlclose(g_handle);
        g_handle = nullptr;
    }
}

void* Handle() {
    return g_handle;
}

TDeviceFunctions& Functions() {
    return g_functions;
}
VD_DevInfo& DevInfo() {
    return g_devInfo;
}

void BindEvents(const void* owner, EventReceiver receiver) {
    g_owner = owner;
    g_receiver = std::move(receiver);
}

void UnbindEvents(const void* owner) {
    if (g_owner != owner)
        return;
    g_owner = nullptr;
    g_receiver = nullptr;
}

void VD_CALL EventCallback(int32_t /*channel*/, int32_t event, int32_t param, const char* text) {
    if (!g_receiver)
        return;
    // The receiver may rebind while it runs, so it runs from a copy. The
    // library's text is valid only during this call; the receiver gets a copy too.
    const EventReceiver receiver = g_receiver;
    receiver(event, param, std::string(text ? text : ""));
}

}  // namespace device_library
