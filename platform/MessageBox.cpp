#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

namespace {
std::mutex g_portMutex;
std::shared_ptr<MessageBoxPort> g_port;
}  // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
    std::shared_ptr<MessageBoxPort> port;
    {
        std::lock_guard lock(g_portMutex);
        port = g_port;
    }
    if (port) {
        port->show(text, caption);
    } else {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    }
}

std::shared_ptr<MessageBoxPort> SetMessageBoxPort(std::shared_ptr<MessageBoxPort> port) {
    std::lock_guard lock(g_portMutex);
    std::swap(port, g_port);
    return port;
}

void RecordingMessageBox::show(const std::string& text, const std::string&) {
    std::lock_guard lock(mutex_);
    texts_.push_back(text);
}

std::vector<std::string> RecordingMessageBox::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

void RecordingMessageBox::clear() {
    std::lock_guard lock(mutex_);
    texts_.clear();
}

}  // namespace platform
