// The adapter state over the box library: the line state, the box handle, the
// settings, and the translation of the box's notifications into device events.
// Runs on the thread that opened the device.
#pragma once

#include <cstdint>
#include <string>

#include "device/adapter/NotifyBlock.h"
#include "device/adapter/SetupLink.h"
#include "device/interface/VdInterface.h"

namespace pendrel {

// Line states of the adapter.
enum TLineState {
    kLineNoBox = 0,
    kLineIdle = 1,
    kLineRinging = 2,
    kLineOffHook = 3,
    kLineState4 = 4,
    kLineState5 = 5,
};

class TUBoxAdapter : public TSetupHost {
  public:
    static constexpr std::int32_t kNoBox = -1;
    static constexpr std::int32_t kOpenedChannel = 3;  // word 3, then word 0

    // Prepares a new open: keeps the callback, language 1, no box, not active.
    void beginOpen(VD_EventCallback callback);
    // A successful open: reads the settings, fills the record's open words,
    // sets the channel identifier.
    void completeOpen();
    // Forgets the callback and the panel; the record and the channel go back to 0.
    void close();

    void setPanel(TSetupPanel* panel) { panel_ = panel; }
    TSetupPanel* panel() const { return panel_; }

    int lang() const { return lang_; }
    // Unknown identifiers are refused (false).
    bool setLang(int lang);

    // Handles one notification of the box.
    void handle(const TNotifyBlock& block);

    std::int32_t channel() const { return channel_; }
    // The record as the library keeps it, with the texts of this call filled.
    VD_DevInfo devInfo();

    bool active() const { return active_; }
    std::int32_t boxHandle() const { return boxHandle_; }
    int lineState() const { return lineState_; }
    int ringCounter() const { return ringCounter_; }
    float boxVersion() const { return boxVersion_; }
    int playVolume() const { return playVolume_; }

    // The pass-through requests; they reach the box only while active.
    std::int16_t sendDtmf(std::int32_t dtmf);
    std::int16_t recordFile(const char* path);
    void stopRecord();
    std::int32_t playFile(const char* path);
    void stopPlay();
    void setPlayVolume(std::int32_t volume);

    // TSetupHost
    bool agcSetting() const override { return agc_; }
    bool changeAgc(bool on) override;
    void startReadLineVoltage() override;
    void stopReadLineVoltage() override;

  private:
    void raise(int event, int param, const char* text = "");
    void raiseDeviceStatus(int status);
    void plugIn(std::int32_t reportedHandle);

    VD_EventCallback callback_ = nullptr;
    TSetupPanel* panel_ = nullptr;
    int lang_ = VD_LANG_SIMPLIFIED_CHINESE;
    std::int32_t boxHandle_ = kNoBox;
    bool active_ = false;
    int lineState_ = kLineNoBox;
    int ringCounter_ = 0;  // since the library was loaded; never reset
    std::int32_t channel_ = 0;
    VD_DevInfo devInfo_{};
    bool agc_ = true;
    int playVolume_ = 0;
    float boxVersion_ = 0.0f;
};

}  // namespace pendrel
