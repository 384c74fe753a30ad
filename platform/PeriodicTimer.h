// Periodic timers (the 100 ms ticks of the agent and the windows).
#pragma once

#include <functional>
#include <memory>

namespace platform {

class PeriodicTimer {
  public:
    virtual ~PeriodicTimer() = default;
    // Ticks run on the thread that owns the timer (the user-interface thread).
    virtual void start(int intervalMs, std::function<void()> onTick) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// A timer that ticks when the test says so.
class ManualTimer : public PeriodicTimer {
  public:
    void start(int intervalMs, std::function<void()> onTick) override;
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    int interval() const { return interval_; }
    // Runs one tick if the timer is active; returns whether it ran.
    bool tick();
    // Runs `count` ticks.
    void tick(int count);

  private:
    std::function<void()> onTick_;
    int interval_ = 0;
    bool active_ = false;
};

}  // namespace platform
