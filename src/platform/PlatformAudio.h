#pragma once
// The default microphone and speaker of this machine, through Qt Multimedia.

#include "voice/AudioInput.h"
#include "voice/AudioInputDevices.h"
#include "voice/AudioOutput.h"

#include <memory>

namespace orbix {

std::shared_ptr<AudioInput> createDefaultAudioInput();
std::shared_ptr<AudioOutput> createDefaultAudioOutput();
// Needs a running Qt application: it follows the device list through the event loop.
std::unique_ptr<AudioInputDevices> createAudioInputDevices();

} // namespace orbix
