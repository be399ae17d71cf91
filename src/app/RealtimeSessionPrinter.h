#pragma once
// Prints a Realtime voice session in a terminal: the assistant's spoken transcript as it grows, each Capture
// One result and each error. Its callbacks run after the ones already installed on the service (the
// application model's), which keep working as before.

#include "core/ConversationRecords.h"
#include "core/RealtimeVoiceState.h"

#include <QString>
#include <QTextStream>
#include <functional>

namespace orbix {

class OpenAIRealtimeVoiceService;

class RealtimeSessionPrinter {
public:
    RealtimeSessionPrinter(OpenAIRealtimeVoiceService& voice, QTextStream& output);
    // Puts the service's callbacks back as they were before attach.
    ~RealtimeSessionPrinter();
    RealtimeSessionPrinter(const RealtimeSessionPrinter&) = delete;
    RealtimeSessionPrinter& operator=(const RealtimeSessionPrinter&) = delete;

    // Called for every state change of the session, after the application's own callback.
    std::function<void(RealtimeVoiceState)> onStateChange;

    // Chains the printing callbacks onto the service; once.
    void attach();
    void printSessionStart();
    // Ends a transcript line that is still open.
    void endTranscriptLine();

private:
    void printTranscript(const QString& transcript);
    void printError(const QString& message);

    OpenAIRealtimeVoiceService& voice_;
    QTextStream& out_;
    QString seenTranscript_;
    bool lineOpen_ = false;
    bool attached_ = false;
    // The callbacks found on the service, called first and restored at the end.
    std::function<void(RealtimeVoiceState)> previousState_;
    std::function<void(const QString&)> previousTranscript_;
    std::function<void()> previousResponseDone_;
    std::function<void(const ComputerUseResult&)> previousResult_;
    std::function<void(const QString&)> previousError_;
    std::function<void(const QString&)> previousRecoverableError_;
};

} // namespace orbix
