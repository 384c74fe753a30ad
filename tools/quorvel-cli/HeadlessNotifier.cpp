#include "HeadlessNotifier.h"

namespace {

class HeadlessNotifier : public ICallNotifier {
  public:
    HeadlessNotifier(platform::MessageLoop& loop, std::function<void(platform::Message&)> onTrdMsg)
        : target_(loop, std::move(onTrdMsg)) {}
    void ShowRing(const std::string&) override {}
    void ShowRingCount(int) override {}
    void ShowIncoming(const std::string&) override {}
    void ShowCallerInfo(const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&) override {}
    void ShowMissed() override {}
    void ShowAnswered() override {}
    void ShowCallingOut(const std::string&) override {}
    void ShowHungUp() override {}
    void HideWarn() override {}
    void SetEnabled(bool) override {}
    platform::TargetHandle MessageHandle() const override { return target_.handle(); }

  private:
    platform::MessageTarget target_;
};

}  // namespace

std::unique_ptr<ICallNotifier> HeadlessNotifierFactory::CreateNotifier(
    std::function<void(platform::Message&)> onTrdMsg) {
    return std::make_unique<HeadlessNotifier>(loop_, std::move(onTrdMsg));
}
