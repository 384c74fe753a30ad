// The real message box: a modal QMessageBox on the user-interface thread.
#pragma once

#include "platform/MessageBox.h"

namespace platform {

class QtMessageBox : public MessageBoxPort {
  public:
    // Shown from another thread, the box is handed to the user-interface thread and the
    // caller goes on without waiting.
    void show(const std::string& text, const std::string& caption) override;
};

}  // namespace platform
