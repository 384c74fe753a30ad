/* CAUBox: the USB telephone box library that Pendrel drives.
 *
 * This build is a virtual box (libCAUBox.so). ubox_open starts the box's own
 * thread; every notification reaches the callback from that thread only. The
 * box is driven through a control socket (see device/caubox/README.md).
 *
 * Results: 0 is success, a negative UBOX_ERR_* code a failure. Functions whose
 * result callers may ignore still report misuse through it. */
#ifndef QUORVEL_CAUBOX_H
#define QUORVEL_CAUBOX_H

#include <stdint.h>

/* The exports use the Windows API calling convention on 32-bit Windows;
 * the notification callback uses the C calling convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define UBOX_CALL __stdcall
#else
#define UBOX_CALL
#endif

#if defined(_WIN32)
#define UBOX_EXPORT __declspec(dllexport)
#elif defined(CAUBOX_BUILDING_LIBRARY)
#define UBOX_EXPORT __attribute__((visibility("default")))
#else
#define UBOX_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The library file, found beside the program that loads it. */
#define UBOX_LIBRARY_FILE_NAME "libCAUBox.so"

/* Notification codes: the second argument of the callback. */
enum {
    UBOX_EVENT_PLUG_IN = 1,       /* the box was plugged in; handle: the box's new handle */
    UBOX_EVENT_PLUG_OUT = 2,      /* the box was unplugged */
    UBOX_EVENT_ALARM = 3,         /* device alarm */
    UBOX_EVENT_HANG_UP = 10,      /* the telephone went back on-hook */
    UBOX_EVENT_RING = 11,         /* one ring burst */
    UBOX_EVENT_OFF_HOOK = 12,     /* the telephone went off-hook */
    UBOX_EVENT_VENDOR_13 = 13,    /* vendor line condition; Pendrel's line state 4 */
    UBOX_EVENT_LINE_IDLE = 15,    /* the line went back to idle without a hang-up */
    UBOX_EVENT_LINE_VOLTAGE = 16, /* param: one line voltage sample, 255 = no value */
    UBOX_EVENT_CALLER_ID = 21,    /* param: const char* caller number, valid during the call */
    UBOX_EVENT_DTMF = 22,         /* param: the digit's character code in the low byte */
    UBOX_EVENT_FAILURE = 24,      /* device failure */
    UBOX_EVENT_VENDOR_25 = 25,    /* vendor notification, passed on */
    UBOX_EVENT_VENDOR_28 = 28,    /* vendor line condition; Pendrel's line state 5 */
    UBOX_EVENT_VENDOR_30 = 30     /* vendor line release; Pendrel treats it as a hang-up */
};

/* The parameter of UBOX_EVENT_DTMF for a digit character ('0'-'9', '*', '#'):
 * the character code in the low byte, a flag bit above it. Receivers use the
 * low byte only. */
#define UBOX_DTMF_FLAG 0x100
#define UBOX_DTMF_PARAM(ch) (UBOX_DTMF_FLAG | ((int32_t)(unsigned char)(ch)))

/* The value of UBOX_EVENT_LINE_VOLTAGE that carries no sample. */
#define UBOX_VOLTAGE_NONE 255

/* Recording formats of ubox_record_file. */
enum {
    UBOX_FORMAT_MP3 = 38 /* MP3 (LAME), 8 kHz mono */
};

/* Result codes. */
enum {
    UBOX_OK = 0,
    UBOX_ERR_NOT_OPEN = -1,           /* ubox_open has not succeeded */
    UBOX_ERR_ALREADY_OPEN = -2,       /* ubox_open twice without ubox_close */
    UBOX_ERR_INVALID_ARGUMENT = -3,   /* null pointer, empty path, value out of range */
    UBOX_ERR_INVALID_HANDLE = -4,     /* not the handle of the plugged-in box */
    UBOX_ERR_NOT_PLUGGED = -5,        /* no box is plugged in */
    UBOX_ERR_FILE = -6,               /* a file cannot be opened, read or written */
    UBOX_ERR_UNSUPPORTED_FORMAT = -7, /* recording format other than UBOX_FORMAT_MP3 */
    UBOX_ERR_BAD_AUDIO = -8,          /* not a playable WAV file */
    UBOX_ERR_CONTROL_SOCKET = -9,     /* control socket cannot be set up, or is in use */
    UBOX_ERR_WRONG_THREAD = -10,      /* called from the box's own thread where not allowed */
    UBOX_ERR_ENCODER = -11,           /* the MP3 encoder failed */
    UBOX_ERR_NOT_RECORDING = -12,     /* ubox_stop_record without a recording */
    UBOX_ERR_ON_HOOK = -13,           /* needs the telephone off-hook */
    UBOX_ERR_INTERNAL = -14           /* thread or memory failure */
};

/* The notification callback: box handle, notification code (UBOX_EVENT_*),
 * parameter, and three values that carry nothing (0). The parameter is an
 * integer, or for UBOX_EVENT_CALLER_ID a pointer to the number's text, which
 * is why it is pointer-sized. Called on the box's thread only. */
typedef void (*ubox_event_callback)(int32_t handle, int32_t event, intptr_t param,
                                    int32_t reserved1, int32_t reserved2, int32_t reserved3);

/* Opens the box and starts its thread; reserved must be 0. The box reports
 * itself plugged in shortly afterwards (unless started unplugged). */
UBOX_EXPORT int32_t UBOX_CALL ubox_open(ubox_event_callback callback, int32_t reserved);
/* Stops the box's thread (finishing a running recording) and forgets the
 * callback; no notification arrives after it returns. Not from the callback. */
UBOX_EXPORT int32_t UBOX_CALL ubox_close(void);

/* Records the line into path (format UBOX_FORMAT_MP3) until ubox_stop_record.
 * A recording already running is finished first. */
UBOX_EXPORT int32_t UBOX_CALL ubox_record_file(int32_t handle, const char* path, int32_t format);
UBOX_EXPORT int32_t UBOX_CALL ubox_stop_record(int32_t handle);

/* Plays a WAV file on the line (heard in the recording) until it ends or ubox_stop_play. */
UBOX_EXPORT int32_t UBOX_CALL ubox_play_file(int32_t handle, const char* path);
UBOX_EXPORT int32_t UBOX_CALL ubox_stop_play(int32_t handle);

/* Sends one DTMF digit: a character code ('0'-'9', '*', '#', 'A'-'D') in the
 * low byte. Needs the telephone off-hook. */
UBOX_EXPORT int32_t UBOX_CALL ubox_send_dtmf(int32_t handle, int32_t dtmf);

UBOX_EXPORT int32_t UBOX_CALL ubox_set_Speakervolume(int32_t handle, int32_t volume);
/* Writes the box's version number into *version. */
UBOX_EXPORT int32_t UBOX_CALL ubox_get_device_versionnum(int32_t handle, float* version);

/* While reading, the box sends UBOX_EVENT_LINE_VOLTAGE samples that follow
 * its hook state, about ten a second. */
UBOX_EXPORT int32_t UBOX_CALL ubox_start_read_line_voltage(int32_t handle);
UBOX_EXPORT int32_t UBOX_CALL ubox_stop_read_line_voltage(int32_t handle);

/* off: 1 switches automatic gain control off, 0 leaves it on. */
UBOX_EXPORT int32_t UBOX_CALL ubox_close_agc(int32_t handle, int32_t off);
/* Writes the box's user number, NUL-terminated and cut to size bytes. */
UBOX_EXPORT int32_t UBOX_CALL ubox_get_usernum(int32_t handle, char* buffer, int32_t size);

/* Function pointer types, for callers that bind the library at run time. */
typedef int32_t(UBOX_CALL* ubox_open_t)(ubox_event_callback callback, int32_t reserved);
typedef int32_t(UBOX_CALL* ubox_close_t)(void);
typedef int32_t(UBOX_CALL* ubox_record_file_t)(int32_t handle, const char* path, int32_t format);
typedef int32_t(UBOX_CALL* ubox_stop_record_t)(int32_t handle);
typedef int32_t(UBOX_CALL* ubox_play_file_t)(int32_t handle, const char* path);
typedef int32_t(UBOX_CALL* ubox_stop_play_t)(int32_t handle);
typedef int32_t(UBOX_CALL* ubox_send_dtmf_t)(int32_t handle, int32_t dtmf);
typedef int32_t(UBOX_CALL* ubox_set_Speakervolume_t)(int32_t handle, int32_t volume);
typedef int32_t(UBOX_CALL* ubox_get_device_versionnum_t)(int32_t handle, float* version);
typedef int32_t(UBOX_CALL* ubox_start_read_line_voltage_t)(int32_t handle);
typedef int32_t(UBOX_CALL* ubox_stop_read_line_voltage_t)(int32_t handle);
typedef int32_t(UBOX_CALL* ubox_close_agc_t)(int32_t handle, int32_t off);
typedef int32_t(UBOX_CALL* ubox_get_usernum_t)(int32_t handle, char* buffer, int32_t size);

#ifdef __cplusplus
}
#endif

#endif
