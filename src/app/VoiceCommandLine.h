#pragma once
// `orbix --voice`: voice mode from a terminal. Starts a Realtime session as the microphone button does,
// prints the assistant's spoken transcript as it grows and each Capture One result as it arrives, and
// finishes when the session ends (stop phrase, idle disconnect, error). Exit status 0 once a session ran;
// 1 when none could start (no key, no microphone, no connection), with the reason printed.

#include "app/RealtimeSessionPrinter.h"
#include "core/RealtimeVoiceState.h"

#include <QObject>
#include <QString>
#include <QTextStream>
#include <functional>

namespace orbix {

class OpenAIRealtimeVoiceService;

class VoiceCommandLine : public QObject {
public:
    // `startVoiceMode` starts the session the way the application does (the model's voice mode).
    VoiceCommandLine(std::function<void()> startVoiceMode, OpenAIRealtimeVoiceService& voice,
                     QTextStream& output, QObject* parent = nullptr);

    // Starts voice mode; `finished` is called once with the exit status.
    void start(std::function<void(int status)> finished);

private:
    void stateChanged(RealtimeVoiceState state);
    void finish(int status);

    std::function<void()> startVoiceMode_;
    OpenAIRealtimeVoiceService& voice_;
    RealtimeSessionPrinter printer_;
    std::function<void(int)> finished_;
    bool sessionStarted_ = false;
    bool sessionRan_ = false;
    bool done_ = false;
};

} // namespace orbix
