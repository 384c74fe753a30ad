// The Qt event loop of the user-interface thread as a message loop.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/MessageTarget.h"

namespace platform {

class QtMessageLoop : public MessageLoop {
  public:
    // Work runs on the thread of `context` (default: a QObject created on the calling thread).
    explicit QtMessageLoop(QObject* context = nullptr);
    ~QtMessageLoop() override;
    void enqueue(std::function<void()> work) override;

  private:
    QObject* ownContext_ = nullptr;
    QPointer<QObject> context_;
};

}  // namespace platform
