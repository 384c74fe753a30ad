#include "platform/qt/QtMessageLoop.h"

#include <QMetaObject>

namespace platform {

QtMessageLoop::QtMessageLoop(QObject* context) {
    if (!context) {
        ownContext_ = new QObject;
        context = ownContext_;
    }
    context_ = context;
}

QtMessageLoop::~QtMessageLoop() {
    delete ownContext_;
}

void QtMessageLoop::enqueue(std::function<void()> work) {
    // Queued invocations on one receiver run in the order they were posted.
    QMetaObject::invokeMethod(context_.data(), std::move(work), Qt::QueuedConnection);
}

}  // namespace platform
