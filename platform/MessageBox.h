// The message-box port. Windows install the real box (a QMessageBox); tests
// install a recording one; without either, the text goes to standard error.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class MessageBoxPort {
  public:
    virtual ~MessageBoxPort() = default;
    virtual void show(const std::string& text, const std::string& caption) = 0;
};

// Shows a modal message through the installed port. Thread-safe to call; the
// port decides how to reach the user-interface thread.
void ShowMessageBox(const std::string& text, const std::string& caption = "Quorvel");
// Installs a port; returns the previous one. nullptr restores the default.
std::shared_ptr<MessageBoxPort> SetMessageBoxPort(std::shared_ptr<MessageBoxPort> port);

// Records every text shown; for tests.
class RecordingMessageBox : public MessageBoxPort {
  public:
    void show(const std::string& text, const std::string& caption) override;
    std::vector<std::string> texts() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

}  // namespace platform
