#include "device/adapter/NotifyBlock.h"

#include "device/caubox/CAUBox.h"

namespace pendrel {

TNotifyBlock MakeNotifyBlock(std::int32_t handle, std::int32_t event, std::intptr_t param,
                             std::int32_t r1, std::int32_t r2, std::int32_t r3) {
    TNotifyBlock b;
    b.handle = handle;
    b.event = event;
    b.param = param;
    b.reserved[0] = r1;
    b.reserved[1] = r2;
    b.reserved[2] = r3;
    if ((event & 0xFF) == UBOX_EVENT_CALLER_ID) {
        if (param != 0) {
            b.callerNumber = reinterpret_cast<const char*>(param);
        }
        b.param = 0;
    }
    return b;
}

}  // namespace pendrel
