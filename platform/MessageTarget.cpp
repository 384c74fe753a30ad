#include "platform/MessageTarget.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

struct TargetEntry {
    MessageLoop* loop;
    std::shared_ptr<MessageTarget::Handler> handler;
};

// The registry of live targets. Posting holds the lock while it enqueues, so
// the messages of one sender reach a loop in the order they were posted.
class TargetRegistry {
  public:
    TargetHandle add(MessageLoop& loop, MessageTarget::Handler handler) {
        std::lock_guard lock(mutex_);
        TargetHandle h = ++next_;
        targets_.emplace(
            h, TargetEntry{&loop, std::make_shared<MessageTarget::Handler>(std::move(handler))});
        return h;
    }

    void remove(TargetHandle h) {
        std::lock_guard lock(mutex_);
        targets_.erase(h);
    }

    bool post(TargetHandle h, Message message) {
        std::unique_lock lock(mutex_);
        auto it = targets_.find(h);
        if (it == targets_.end()) {
            lock.unlock();
            return false;  // the message and its payload are freed here
        }
        // The message travels in a shared box so that the closure stays copyable
        // for loops that need std::function; it is freed with the closure.
        auto box = std::make_shared<Message>(std::move(message));
        it->second.loop->enqueue([this, h, box] { deliver(h, *box); });
        return true;
    }

  private:
    void deliver(TargetHandle h, Message& message) {
        std::shared_ptr<MessageTarget::Handler> handler;
        {
            std::lock_guard lock(mutex_);
            auto it = targets_.find(h);
            if (it == targets_.end())
                return;  // target gone after posting: payload freed
            handler = it->second.handler;
        }
        (*handler)(message);
    }

    std::mutex mutex_;
    std::unordered_map<TargetHandle, TargetEntry> targets_;
    TargetHandle next_ = 0;
};

TargetRegistry& Registry() {
    static TargetRegistry* registry = new TargetRegistry;  // outlives every static target
    return *registry;
}

const std::string kEmpty;

}  // namespace

const std::string& Message::text() const {
    if (auto* t = dynamic_cast<const TextPayload*>(payload.get()))
        return t->text;
    return kEmpty;
}

MessageTarget::MessageTarget(MessageLoop& loop, Handler handler)
    : handle_(Registry().add(loop, std::move(handler))) {}

MessageTarget::~MessageTarget() {
    Registry().remove(handle_);
}

bool PostMessageTo(TargetHandle target, unsigned number, std::intptr_t wParam,
                   std::unique_ptr<MessagePayload> payload) {
    Message m;
    m.number = number;
    m.wParam = wParam;
    m.payload = std::move(payload);
    return Registry().post(target, std::move(m));
}

bool PostTextMessage(TargetHandle target, unsigned number, std::intptr_t wParam, std::string text) {
    return PostMessageTo(target, number, wParam, std::make_unique<TextPayload>(std::move(text)));
}

}  // namespace platform
