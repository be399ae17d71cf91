#include "platform/PlatformSpeechRecognition.h"

#include "platform/pocketsphinx/PocketsphinxSpeechRecognizer.h"

namespace orbix {

std::shared_ptr<SpeechRecognizer> createDefaultSpeechRecognizer(std::shared_ptr<AudioInput> microphone) {
    return std::make_shared<PocketsphinxSpeechRecognizer>(std::move(microphone),
                                                          PocketsphinxModel::installed());
}

} // namespace orbix
