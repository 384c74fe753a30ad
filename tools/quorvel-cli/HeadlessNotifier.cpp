#include "HeadlessNotifier.h"

#include "client/agent/SilentCallNotifier.h"

namespace {

// Shows nothing; only the message target is real.
class HeadlessNotifier : public SilentCallNotifier {
  public:
    HeadlessNotifier(platform::MessageLoop& loop, std::function<void(platform::Message&)> onTrdMsg)
        : target_(loop, std::move(onTrdMsg)) {}
    platform::TargetHandle MessageHandle() const override { return target_.handle(); }

  private:
    platform::MessageTarget target_;
};

}  // namespace

std::unique_ptr<ICallNotifier> HeadlessNotifierFactory::CreateNotifier(
    std::function<void(platform::Message&)> onTrdMsg) {
    return std::make_unique<HeadlessNotifier>(loop_, std::move(onTrdMsg));
}
