// The library's life: opening and closing the box, the setup dialog and the
// receiver of the box's notifications on the thread that opened the device.
#pragma once

#include <cstdint>

#include "device/adapter/UBoxAdapter.h"
#include "device/interface/VdInterface.h"

namespace pendrel {

class TNotifyReceiver;
class TfmSetup;

class TPendrelLibrary {
  public:
    // VD_DevOpen's status when the library itself cannot open the device.
    static constexpr std::int16_t kOpenFailed = -1;

    std::int16_t open(VD_EventCallback callback);
    // False when the device was not open.
    bool close();
    bool isOpen() const { return opened_; }

    // False when the identifier is unknown.
    bool setLang(int lang) { return adapter_.setLang(lang); }
    // False when there is no dialog to show.
    bool show();

    TUBoxAdapter& adapter() { return adapter_; }
    TfmSetup* dialog() const { return dialog_; }

  private:
    void createReceiverAndDialog();
    void destroyReceiverAndDialog();

    TUBoxAdapter adapter_;
    TNotifyReceiver* receiver_ = nullptr;
    TfmSetup* dialog_ = nullptr;
    bool opened_ = false;
};

// The one library object of the process.
TPendrelLibrary& PendrelLibrary();

}  // namespace pendrel
