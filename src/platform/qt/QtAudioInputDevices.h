#pragma once
// AudioInputDevices over Qt Multimedia's device list, which follows the sound server's news.

#include "voice/AudioInputDevices.h"

#include <QMediaDevices>

namespace orbix {

class QtAudioInputDevices final : public AudioInputDevices {
public:
    QtAudioInputDevices();

    bool hasInputDevice() const override;
    void setInputsChangedHandler(std::function<void()> handler) override;

private:
    QMediaDevices devices_;
    std::function<void()> handler_;
};

} // namespace orbix
