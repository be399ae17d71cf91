#pragma once
// A voice failure as the services report it: the sentence for the user, and what it says about the user's
// permissions, so that the application explains it without reading the sentence.

#include <QString>

namespace orbix {

enum class VoicePermissionProblem {
    none,
    // No usable microphone, or its use refused.
    microphone,
    speechRecognition,
};

struct VoiceFailure {
    QString message;
    VoicePermissionProblem problem = VoicePermissionProblem::none;
};

} // namespace orbix
