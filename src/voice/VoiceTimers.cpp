#include "voice/VoiceTimers.h"

#include <QTimer>

namespace orbix {

namespace {

class QtVoiceTimer final : public VoiceTimer {
public:
    QtVoiceTimer(std::chrono::milliseconds delay, bool repeating, std::function<void()> fire)
        : timer_(new QTimer) {
        timer_->setSingleShot(!repeating);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(fire));
        timer_->start(delay);
    }
    // The handle is often dropped from inside the timer's own callback, so the QTimer goes later.
    ~QtVoiceTimer() override {
        timer_->stop();
        timer_->disconnect();
        timer_->deleteLater();
    }

private:
    QTimer* timer_;
};

class SystemVoiceTimers final : public VoiceTimers {
public:
    Clock::time_point now() const override { return Clock::now(); }
    std::unique_ptr<VoiceTimer> after(std::chrono::milliseconds delay, std::function<void()> fire) override {
        return std::make_unique<QtVoiceTimer>(delay, false, std::move(fire));
    }
    std::unique_ptr<VoiceTimer> every(std::chrono::milliseconds interval, std::function<void()> fire) override {
        return std::make_unique<QtVoiceTimer>(interval, true, std::move(fire));
    }
};

} // namespace

std::shared_ptr<VoiceTimers> VoiceTimers::system() {
    static const auto timers = std::make_shared<SystemVoiceTimers>();
    return timers;
}

} // namespace orbix
