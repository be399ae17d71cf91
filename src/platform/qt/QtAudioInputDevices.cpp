#include "platform/qt/QtAudioInputDevices.h"

#include "platform/qt/DefaultAudioDevices.h"

namespace orbix {

QtAudioInputDevices::QtAudioInputDevices() {
    QObject::connect(&devices_, &QMediaDevices::audioInputsChanged, &devices_, [this] {
        if (handler_) {
            handler_();
        }
    });
}

bool QtAudioInputDevices::hasInputDevice() const {
    return !defaultAudioInputDevice().isNull();
}

void QtAudioInputDevices::setInputsChangedHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

} // namespace orbix
