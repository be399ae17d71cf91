#pragma once
// The speech synthesiser of this machine (espeak-ng on Linux), playing through the given speaker.

#include "voice/AudioOutput.h"
#include "voice/SpeechSynthesizer.h"

#include <memory>

namespace orbix {

std::shared_ptr<SpeechSynthesizer> createDefaultSpeechSynthesizer(std::shared_ptr<AudioOutput> speaker);

} // namespace orbix
