#pragma once
// Prints a Realtime voice session in a terminal: the assistant's spoken transcript as it grows, each Capture
// One result and each error. Connected after the application model, whose handlers therefore run first.

#include "core/ConversationRecords.h"
#include "core/RealtimeVoiceState.h"

#include <QList>
#include <QMetaObject>
#include <QString>
#include <QTextStream>
#include <functional>

namespace orbix {

class OpenAIRealtimeVoiceService;

class RealtimeSessionPrinter {
public:
    RealtimeSessionPrinter(OpenAIRealtimeVoiceService& voice, QTextStream& output);
    // Disconnects from the service.
    ~RealtimeSessionPrinter();
    RealtimeSessionPrinter(const RealtimeSessionPrinter&) = delete;
    RealtimeSessionPrinter& operator=(const RealtimeSessionPrinter&) = delete;

    // Connects the printing to the service's signals; once.
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
    QList<QMetaObject::Connection> connections_;
};

} // namespace orbix
