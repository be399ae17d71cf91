// What the window and its menus ask of the model beyond the typed road and voice: prompt focus.
#include "model/AppModel.h"

namespace orbix {

void AppModel::togglePromptFocus() {
    shouldFocusPrompt_ = !shouldFocusPrompt_;
    emit shouldFocusPromptChanged();
}

} // namespace orbix
