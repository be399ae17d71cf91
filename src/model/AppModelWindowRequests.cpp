// What the window and its menus ask of the model beyond the typed road: prompt focus and the voice entry
// points, which forward to the voice hooks when a voice subsystem is installed.
#include "model/AppModel.h"

namespace orbix {

void AppModel::togglePromptFocus() {
    shouldFocusPrompt_ = !shouldFocusPrompt_;
    emit shouldFocusPromptChanged();
}

void AppModel::startComputerUseVoiceMode() {
    if (services_.voice.startComputerUseVoiceMode) {
        services_.voice.startComputerUseVoiceMode();
    }
}

void AppModel::startWakeWordListeningWhenReady() {
    if (services_.voice.startWakeWordListeningWhenReady) {
        services_.voice.startWakeWordListeningWhenReady();
    }
}

} // namespace orbix
