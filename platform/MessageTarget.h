// Message targets: the "window handles" of the client.
//
// A window owns a MessageTarget bound to the message loop of the user-interface
// thread. Any thread may post (number, wParam, payload block) to the target's
// handle. Messages are delivered in posting order on the loop's thread; the
// payload passes to the receiver. A message posted to a handle whose target no
// longer exists is dropped and its payload freed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// A payload block. Receivers downcast to the block type their message carries.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

// The NUL-terminated text block of the original design.
struct TextPayload : MessagePayload {
    explicit TextPayload(std::string t) : text(std::move(t)) {}
    std::string text;
};

struct Message {
    unsigned number = 0;
    std::intptr_t wParam = 0;
    std::unique_ptr<MessagePayload> payload;

    // The text of a TextPayload, or empty.
    const std::string& text() const;
};

// A queue of work run on one thread, in order. Implementations: a manual loop
// for headless tests and the Qt event loop.
class MessageLoop {
  public:
    virtual ~MessageLoop() = default;
    // Thread-safe. Runs `work` later on the loop's thread, after everything
    // enqueued before it.
    virtual void enqueue(std::function<void()> work) = 0;
};

using TargetHandle = std::uint64_t;  // 0 is never a valid handle

class MessageTarget {
  public:
    using Handler = std::function<void(Message&)>;

    MessageTarget(MessageLoop& loop, Handler handler);
    ~MessageTarget();  // messages still queued for this target are freed undelivered
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    TargetHandle handle() const { return handle_; }

  private:
    TargetHandle handle_;
};

// Thread-safe. Returns false (and frees the payload) when the target is gone.
bool PostMessageTo(TargetHandle target, unsigned number, std::intptr_t wParam,
                   std::unique_ptr<MessagePayload> payload = nullptr);

// Convenience for the text blocks of the workers.
bool PostTextMessage(TargetHandle target, unsigned number, std::intptr_t wParam, std::string text);

}  // namespace platform
