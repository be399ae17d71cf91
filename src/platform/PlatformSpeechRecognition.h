#pragma once
// The on-device speech recogniser of this machine (pocketsphinx with the American English model),
// listening to the given microphone.

#include "voice/AudioInput.h"
#include "voice/SpeechRecognizer.h"

#include <memory>

namespace orbix {

std::shared_ptr<SpeechRecognizer> createDefaultSpeechRecognizer(std::shared_ptr<AudioInput> microphone);

} // namespace orbix
