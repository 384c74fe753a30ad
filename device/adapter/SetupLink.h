// The two sides of the link between the adapter and its setup dialog.
#pragma once

#include <string>

namespace pendrel {

// What the setup dialog asks of the adapter.
class TSetupHost {
  public:
    virtual ~TSetupHost() = default;
    virtual bool agcSetting() const = 0;
    // The user changed the AGC box: take the setting, tell the box, store it.
    // False when the setting could not be stored.
    virtual bool changeAgc(bool on) = 0;
    virtual void startReadLineVoltage() = 0;
    virtual void stopReadLineVoltage() = 0;
};

// What the adapter asks of its setup dialog.
class TSetupPanel {
  public:
    virtual ~TSetupPanel() = default;
    virtual void applyLang(int lang) = 0;
    virtual void setAgcBox(bool on) = 0;
    virtual void voltageSample(int value) = 0;
    virtual bool deviceLogEnabled() const = 0;
    virtual void addLogLine(const std::string& line) = 0;
    // Shows the dialog without blocking.
    virtual void showPanel() = 0;
};

}  // namespace pendrel
