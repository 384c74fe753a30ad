// The notification window of a headless agent: nothing to show, but a real
// message target on the user-interface thread for the workers' messages.
#pragma once

#include "client/agent/ICallNotifier.h"

class HeadlessNotifierFactory : public ICallNotifierFactory {
  public:
    explicit HeadlessNotifierFactory(platform::MessageLoop& loop) : loop_(loop) {}
    std::unique_ptr<ICallNotifier> CreateNotifier(
        std::function<void(platform::Message&)> onTrdMsg) override;

  private:
    platform::MessageLoop& loop_;
};
