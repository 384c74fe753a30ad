#include "device/adapter/UBoxAdapter.h"

#include <cstdio>
#include <exception>
#include <string>

#include "device/adapter/DeviceTexts.h"
#include "device/adapter/DvsSettings.h"
#include "device/caubox/CAUBox.h"

namespace pendrel {

namespace {

constexpr char kDeviceName[] = "Dravik USB Device";
constexpr char kCodingName[] = "ADPCM 8 bit";
constexpr char kVendorText[] = "CVA";
constexpr std::int16_t kNothingSent = -1;
constexpr std::int16_t kNotActive = -1;

// A pointer slot of the record: the address on a 32-bit build, the text's
// handle on a 64-bit one.
std::uint32_t TextSlot([[maybe_unused]] std::uint32_t handle, [[maybe_unused]] const char* text) {
#if UINTPTR_MAX == 0xFFFFFFFFu
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(text));
#else
    return handle;
#endif
}

}  // namespace

void TUBoxAdapter::beginOpen(VD_EventCallback callback) {
    callback_ = callback;
    lang_ = VD_LANG_SIMPLIFIED_CHINESE;
    boxHandle_ = kNoBox;
    active_ = false;
    lineState_ = kLineNoBox;
    channel_ = 0;
    devInfo_.channels = 0;
    devInfo_.word10 = 0;
    devInfo_.opened = 0;
}

void TUBoxAdapter::completeOpen() {
    playVolume_ = ReadSysPlayVolSetting();
    agc_ = ReadAgcSetting();
    if (panel_ != nullptr) {
        panel_->setAgcBox(agc_);
    }
    devInfo_.version = 0x0100;
    devInfo_.channels = 1;
    devInfo_.word10 = 0;
    devInfo_.opened = 1;
    devInfo_.word18 = 1;
    channel_ = kOpenedChannel;
}

void TUBoxAdapter::close() {
    callback_ = nullptr;
    panel_ = nullptr;
    active_ = false;
    boxHandle_ = kNoBox;
    lineState_ = kLineNoBox;
    channel_ = 0;
    devInfo_.channels = 0;
    devInfo_.opened = 0;
}

bool TUBoxAdapter::setLang(int lang) {
    if (!IsKnownLanguage(lang)) {
        return false;
    }
    if (lang != lang_) {
        lang_ = lang;
        if (panel_ != nullptr) {
            panel_->applyLang(lang);
        }
    }
    return true;
}

VD_DevInfo TUBoxAdapter::devInfo() {
    devInfo_.version = 0x0100;
    devInfo_.deviceName = TextSlot(VD_TEXT_DEVICE_NAME, kDeviceName);
    devInfo_.word18 = 1;
    devInfo_.codingName = TextSlot(VD_TEXT_CODING_NAME, kCodingName);
    devInfo_.vendorText = TextSlot(VD_TEXT_VENDOR, kVendorText);
    return devInfo_;
}

void TUBoxAdapter::raise(int event, int param, const char* text) {
    VD_EventCallback cb = callback_;
    if (cb == nullptr) {
        return;
    }
    try {
        cb(channel_, event, param, text != nullptr ? text : "");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Pendrel: event %d: the callback failed: %s\n", event, e.what());
    } catch (...) {
        std::fprintf(stderr, "Pendrel: event %d: the callback failed\n", event);
    }
}

void TUBoxAdapter::raiseDeviceStatus(int status) {
    raise(VD_EVT_DEVICE_STATUS, status, DeviceStatusText(status, lang_).c_str());
}

void TUBoxAdapter::plugIn(std::int32_t reportedHandle) {
    // The settings go to the box that reported itself, not to the handle
    // before the report (-1 at the first plug-in, which no box accepts).
    ubox_close_agc(reportedHandle, agc_ ? 0 : 1);
    ubox_set_Speakervolume(reportedHandle, playVolume_);
    float version = 0.0f;
    if (ubox_get_device_versionnum(reportedHandle, &version) == UBOX_OK) {
        boxVersion_ = version;
    }
    lineState_ = kLineIdle;
    boxHandle_ = reportedHandle;
    char userNumber[8] = {};
    ubox_get_usernum(boxHandle_, userNumber, sizeof userNumber);
    active_ = true;
    raiseDeviceStatus(VD_STATUS_PLUGGED);
}

void TUBoxAdapter::handle(const TNotifyBlock& block) {
    switch (block.event & 0xFF) {
        case UBOX_EVENT_PLUG_IN:
            plugIn(block.handle);
            break;
        case UBOX_EVENT_PLUG_OUT:
            raiseDeviceStatus(VD_STATUS_UNPLUGGED);
            lineState_ = kLineNoBox;
            break;
        case UBOX_EVENT_ALARM:
            raiseDeviceStatus(VD_STATUS_ALARM);
            break;
        case UBOX_EVENT_HANG_UP: {
            const int before = lineState_;
            if (before == kLineOffHook) {
                raise(VD_EVT_ON_HOOK, 0);
            } else if (before == kLineState4) {
                raise(VD_EVT_HANGUP_STATE4, 0);
            }
            lineState_ = kLineIdle;
            break;
        }
        case UBOX_EVENT_RING:
            lineState_ = kLineRinging;
            ++ringCounter_;
            raise(VD_EVT_RING, ringCounter_);
            break;
        case UBOX_EVENT_OFF_HOOK:
            lineState_ = kLineOffHook;
            raise(VD_EVT_OFF_HOOK, 0);
            break;
        case UBOX_EVENT_VENDOR_13:
            lineState_ = kLineState4;
            raise(VD_EVT_VENDOR_13, 0);
            break;
        case UBOX_EVENT_LINE_IDLE:
            lineState_ = kLineIdle;
            raise(VD_EVT_IDLE, 0);
            break;
        case UBOX_EVENT_LINE_VOLTAGE:
            if (block.param != UBOX_VOLTAGE_NONE && panel_ != nullptr) {
                panel_->voltageSample(static_cast<int>(block.param));
            }
            break;
        case UBOX_EVENT_CALLER_ID:
            if (!block.callerNumber.empty()) {
                if (panel_ != nullptr && panel_->deviceLogEnabled()) {
                    panel_->addLogLine("CallerID:" + block.callerNumber);
                }
                raise(VD_EVT_CALLER_ID, 0, block.callerNumber.c_str());
            }
            break;
        case UBOX_EVENT_DTMF: {
            const char digit[2] = {static_cast<char>(block.param & 0xFF), '\0'};
            raise(VD_EVT_DTMF, 0, digit);
            break;
        }
        case UBOX_EVENT_FAILURE:
            raiseDeviceStatus(VD_STATUS_FAILURE);
            break;
        case UBOX_EVENT_VENDOR_25:
            raise(VD_EVT_VENDOR_25, 0);
            break;
        case UBOX_EVENT_VENDOR_28:
            lineState_ = kLineState5;
            raise(VD_EVT_VENDOR_28, 0);
            break;
        case UBOX_EVENT_VENDOR_30:
            lineState_ = kLineState5;
            raise(VD_EVT_ON_HOOK, 0);
            break;
        default:
            break;
    }
}

std::int16_t TUBoxAdapter::sendDtmf(std::int32_t dtmf) {
    if (!active_ || lineState_ != kLineOffHook) {
        return kNothingSent;
    }
    return static_cast<std::int16_t>(ubox_send_dtmf(boxHandle_, dtmf));
}

std::int16_t TUBoxAdapter::recordFile(const char* path) {
    if (!active_) {
        return kNotActive;
    }
    if (path == nullptr) {
        return static_cast<std::int16_t>(UBOX_ERR_INVALID_ARGUMENT);
    }
    return static_cast<std::int16_t>(ubox_record_file(boxHandle_, path, UBOX_FORMAT_MP3));
}

void TUBoxAdapter::stopRecord() {
    if (active_) {
        ubox_stop_record(boxHandle_);
    }
}

std::int32_t TUBoxAdapter::playFile(const char* path) {
    if (!active_) {
        return UBOX_ERR_NOT_PLUGGED;
    }
    const std::int32_t r = ubox_play_file(boxHandle_, path);
    if (panel_ != nullptr) {
        const std::string shown = path != nullptr ? path : "";
        panel_->addLogLine("Play " + shown + " -> " +
                           std::to_string(static_cast<std::uint16_t>(r & 0xFFFF)));
    }
    return r;
}

void TUBoxAdapter::stopPlay() {
    if (active_) {
        ubox_stop_play(boxHandle_);
    }
}

void TUBoxAdapter::setPlayVolume(std::int32_t volume) {
    if (active_) {
        ubox_set_Speakervolume(boxHandle_, volume);
    }
}

bool TUBoxAdapter::changeAgc(bool on) {
    if (on == agc_) {
        return true;
    }
    agc_ = on;
    // The box is told even when the setting cannot be stored, so that the box
    // always does what the dialog shows.
    if (active_) {
        ubox_close_agc(boxHandle_, on ? 0 : 1);
    }
    return WriteAgcSetting(on);
}

void TUBoxAdapter::startReadLineVoltage() {
    if (active_) {
        ubox_start_read_line_voltage(boxHandle_);
    }
}

void TUBoxAdapter::stopReadLineVoltage() {
    if (active_) {
        ubox_stop_read_line_voltage(boxHandle_);
    }
}

}  // namespace pendrel
