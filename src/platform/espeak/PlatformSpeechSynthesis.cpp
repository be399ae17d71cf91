#include "platform/PlatformSpeechSynthesis.h"

#include "platform/espeak/EspeakSpeechSynthesizer.h"

namespace orbix {

std::shared_ptr<SpeechSynthesizer> createDefaultSpeechSynthesizer(std::shared_ptr<AudioOutput> speaker) {
    return std::make_shared<EspeakSpeechSynthesizer>(std::move(speaker));
}

} // namespace orbix
