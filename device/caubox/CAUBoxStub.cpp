// Placeholder until the box is in: every call reports that the box is not open.
#include "device/caubox/CAUBox.h"

extern "C" {
int32_t ubox_open(ubox_event_callback, int32_t) {
    return UBOX_ERR_INTERNAL;
}
int32_t ubox_close() {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_record_file(int32_t, const char*, int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_stop_record(int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_play_file(int32_t, const char*) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_stop_play(int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_send_dtmf(int32_t, int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_set_Speakervolume(int32_t, int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_get_device_versionnum(int32_t, float*) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_start_read_line_voltage(int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_stop_read_line_voltage(int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_close_agc(int32_t, int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
int32_t ubox_get_usernum(int32_t, char*, int32_t) {
    return UBOX_ERR_NOT_OPEN;
}
}
