#pragma once
// Timers on a clock that only moves when the test advances it; due timers fire in order of their due time.

#include "voice/VoiceTimers.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace orbix::test {

class ManualVoiceTimers final : public VoiceTimers {
public:
    Clock::time_point now() const override { return now_; }

    std::unique_ptr<VoiceTimer> after(std::chrono::milliseconds delay, std::function<void()> fire) override {
        return schedule(delay, false, std::move(fire));
    }
    std::unique_ptr<VoiceTimer> every(std::chrono::milliseconds interval, std::function<void()> fire) override {
        return schedule(interval, true, std::move(fire));
    }

    // Moves the clock forward, firing every timer that falls due on the way.
    void advance(std::chrono::milliseconds by) {
        const Clock::time_point target = now_ + by;
        while (true) {
            std::erase_if(entries_, [](const auto& entry) { return entry->cancelled; });
            auto next = std::min_element(entries_.begin(), entries_.end(),
                                         [](const auto& a, const auto& b) { return a->due < b->due; });
            if (next == entries_.end() || (*next)->due > target) {
                break;
            }
            const std::shared_ptr<Entry> entry = *next;
            now_ = entry->due;
            if (entry->repeating) {
                entry->due += entry->interval;
            } else {
                entry->cancelled = true;
            }
            const auto fire = entry->fire;
            fire();
        }
        now_ = target;
    }

private:
    struct Entry {
        Clock::time_point due;
        std::chrono::milliseconds interval;
        bool repeating = false;
        bool cancelled = false;
        std::function<void()> fire;
    };
    struct Handle final : VoiceTimer {
        explicit Handle(std::shared_ptr<Entry> entry) : entry(std::move(entry)) {}
        ~Handle() override { entry->cancelled = true; }
        std::shared_ptr<Entry> entry;
    };

    std::unique_ptr<VoiceTimer> schedule(std::chrono::milliseconds delay, bool repeating,
                                         std::function<void()> fire) {
        auto entry = std::make_shared<Entry>(Entry{now_ + delay, delay, repeating, false, std::move(fire)});
        entries_.push_back(entry);
        return std::make_unique<Handle>(entry);
    }

    Clock::time_point now_{};
    std::vector<std::shared_ptr<Entry>> entries_;
};

} // namespace orbix::test
