#pragma once
// The default microphone and speaker of the moment, looked up one caller at a time. The backends are used
// from the main thread and from the wake listener's own thread, and Qt Multimedia does not promise that its
// device lists may be read from several threads at once.

#include <QAudioDevice>

namespace orbix {

QAudioDevice defaultAudioInputDevice();
QAudioDevice defaultAudioOutputDevice();

} // namespace orbix
