/* The device interface: the contract between the client and a device library
 * that drives one kind of telephone recording hardware. C, so that any device
 * library can implement it. */
#ifndef QUORVEL_VD_INTERFACE_H
#define QUORVEL_VD_INTERFACE_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VD_CALL __stdcall
#else
#define VD_CALL
#endif

#if defined(_WIN32)
#define VD_EXPORT __declspec(dllexport)
#else
#define VD_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The library file the client loads from its own folder. */
#define VD_LIBRARY_FILE_NAME "libPendrel.so"

/* Event codes delivered through the callback. */
enum {
    VD_EVT_RING = 0,      /* param: running ring counter */
    VD_EVT_IDLE = 1,      /* line back to idle without a hang-up */
    VD_EVT_CALLER_ID = 2, /* text: the caller's number */
    VD_EVT_OFF_HOOK = 3,
    VD_EVT_ON_HOOK = 4, /* hang-up */
    VD_EVT_DTMF = 5,    /* text: one character, the digit */
    VD_EVT_VENDOR_25 = 10,
    VD_EVT_VENDOR_28 = 13,
    VD_EVT_HANGUP_STATE4 = 22,
    VD_EVT_VENDOR_13 = 23,
    VD_EVT_DEVICE_STATUS = 32 /* param: VD_STATUS_*; text: status text in the library's language */
};

/* Device status values of VD_EVT_DEVICE_STATUS. */
enum { VD_STATUS_UNPLUGGED = 0, VD_STATUS_PLUGGED = 1, VD_STATUS_FAILURE = 3, VD_STATUS_ALARM = 4 };

/* Language identifiers of VD_SetLang. */
enum {
    VD_LANG_SIMPLIFIED_CHINESE = 1, /* default; every VD_DevOpen resets to it */
    VD_LANG_ENGLISH = 2,
    VD_LANG_TRADITIONAL_CHINESE = 3
};

/* The event callback: channel identifier, event code, parameter, text (never
 * null; valid only during the call). Called on the thread that opened the device. */
typedef void(VD_CALL* VD_EventCallback)(int32_t channel, int32_t event, int32_t param,
                                        const char* text);

/* The device information record: 32 bytes, packed, little-endian.
 * The 4-byte "pointer" slots (name, coding, text) cannot hold a pointer on a
 * 64-bit build. There they hold a 32-bit handle that VD_DevInfoText() turns
 * into the text; a 32-bit build stores the pointer itself. */
#pragma pack(push, 1)
typedef struct VD_DevInfo {
    uint16_t version;    /* 0: 0x0100 */
    uint32_t deviceName; /* 2: "Dravik USB Device" */
    uint16_t reserved6;  /* 6 */
    uint16_t channels;   /* 8: 1 after a successful open, else 0 */
    uint16_t word10;     /* 10 */
    uint16_t reserved12; /* 12 */
    uint16_t opened;     /* 14: 1 after a successful open, else 0 */
    uint16_t reserved16; /* 16 */
    uint16_t word18;     /* 18: 1 */
    uint32_t codingName; /* 20: "ADPCM 8 bit" */
    uint32_t vendorText; /* 24: "CVA" */
    uint32_t reserved28; /* 28 */
} VD_DevInfo;
#pragma pack(pop)

/* Handles of the texts in the record's pointer slots (64-bit builds). */
enum { VD_TEXT_NONE = 0, VD_TEXT_DEVICE_NAME = 1, VD_TEXT_CODING_NAME = 2, VD_TEXT_VENDOR = 3 };

/* The thirteen exports. */
typedef int16_t(VD_CALL* VD_DevOpen_t)(VD_EventCallback callback);
typedef int32_t(VD_CALL* VD_DevClose_t)(void);
typedef void(VD_CALL* VD_SetLang_t)(int32_t lang);
typedef void(VD_CALL* VD_Show_t)(int32_t ignored);
typedef int16_t(VD_CALL* VD_GetChannel_t)(int16_t index, int32_t* channel);
typedef int32_t(VD_CALL* VD_GetDevInfo_t)(VD_DevInfo* info);
typedef int16_t(VD_CALL* VD_SendDTMF_t)(int32_t channel, int32_t dtmf);
typedef int16_t(VD_CALL* VD_RecordFile_t)(int32_t channel, const char* path);
typedef void(VD_CALL* VD_StopRecord_t)(int32_t channel);
typedef int32_t(VD_CALL* VD_PlayFile_t)(int32_t channel, const char* path);
typedef void(VD_CALL* VD_StopPlay_t)(int32_t channel);
typedef void(VD_CALL* VD_SetPlayVol_t)(int32_t channel, int32_t volume);
typedef int32_t(VD_CALL* VD_GetPlayVol_t)(int32_t* a, int32_t* b, int32_t* c);

#ifdef VD_IMPLEMENTATION
VD_EXPORT int16_t VD_CALL VD_DevOpen(VD_EventCallback callback);
VD_EXPORT int32_t VD_CALL VD_DevClose(void);
VD_EXPORT void VD_CALL VD_SetLang(int32_t lang);
VD_EXPORT void VD_CALL VD_Show(int32_t ignored);
VD_EXPORT int16_t VD_CALL VD_GetChannel(int16_t index, int32_t* channel);
VD_EXPORT int32_t VD_CALL VD_GetDevInfo(VD_DevInfo* info);
VD_EXPORT int16_t VD_CALL VD_SendDTMF(int32_t channel, int32_t dtmf);
VD_EXPORT int16_t VD_CALL VD_RecordFile(int32_t channel, const char* path);
VD_EXPORT void VD_CALL VD_StopRecord(int32_t channel);
VD_EXPORT int32_t VD_CALL VD_PlayFile(int32_t channel, const char* path);
VD_EXPORT void VD_CALL VD_StopPlay(int32_t channel);
VD_EXPORT void VD_CALL VD_SetPlayVol(int32_t channel, int32_t volume);
VD_EXPORT int32_t VD_CALL VD_GetPlayVol(int32_t* a, int32_t* b, int32_t* c);
#endif

/* The text behind a pointer slot of the record: on a 64-bit build the slot
 * holds a VD_TEXT_* handle; on a 32-bit build, the address itself. */
static inline const char* VD_DevInfoText(uint32_t slot) {
#if UINTPTR_MAX == 0xFFFFFFFFu
    return (const char*)(uintptr_t)slot;
#else
    switch (slot) {
        case VD_TEXT_DEVICE_NAME:
            return "Dravik USB Device";
        case VD_TEXT_CODING_NAME:
            return "ADPCM 8 bit";
        case VD_TEXT_VENDOR:
            return "CVA";
        default:
            return "";
    }
#endif
}

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#include <cstddef>
static_assert(sizeof(VD_DevInfo) == 32, "the device information record is 32 bytes");
static_assert(offsetof(VD_DevInfo, deviceName) == 2);
static_assert(offsetof(VD_DevInfo, channels) == 8);
static_assert(offsetof(VD_DevInfo, word10) == 10);
static_assert(offsetof(VD_DevInfo, opened) == 14);
static_assert(offsetof(VD_DevInfo, word18) == 18);
static_assert(offsetof(VD_DevInfo, codingName) == 20);
static_assert(offsetof(VD_DevInfo, vendorText) == 24);
static_assert(offsetof(VD_DevInfo, reserved28) == 28);
#else
_Static_assert(sizeof(VD_DevInfo) == 32, "the device information record is 32 bytes");
#endif

#endif
