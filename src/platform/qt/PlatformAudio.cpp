#include "platform/PlatformAudio.h"

#include "platform/qt/QtAudioInput.h"
#include "platform/qt/QtAudioInputDevices.h"
#include "platform/qt/QtAudioOutput.h"

namespace orbix {

std::shared_ptr<AudioInput> createDefaultAudioInput() {
    return std::make_shared<QtAudioInput>();
}

std::shared_ptr<AudioOutput> createDefaultAudioOutput() {
    return std::make_shared<QtAudioOutput>();
}

std::unique_ptr<AudioInputDevices> createAudioInputDevices() {
    return std::make_unique<QtAudioInputDevices>();
}

} // namespace orbix
