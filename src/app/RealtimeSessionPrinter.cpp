#include "app/RealtimeSessionPrinter.h"

#include "voice/OpenAIRealtimeVoiceService.h"

namespace orbix {

RealtimeSessionPrinter::RealtimeSessionPrinter(OpenAIRealtimeVoiceService& voice, QTextStream& output)
    : voice_(voice), out_(output) {}

RealtimeSessionPrinter::~RealtimeSessionPrinter() {
    for (const QMetaObject::Connection& connection : connections_) {
        QObject::disconnect(connection);
    }
}

void RealtimeSessionPrinter::attach() {
    if (!connections_.isEmpty()) {
        return;
    }
    using Voice = OpenAIRealtimeVoiceService;
    connections_ << QObject::connect(&voice_, &Voice::assistantTranscriptChanged,
                                     [this](const QString& transcript) { printTranscript(transcript); })
                 << QObject::connect(&voice_, &Voice::responseDone, [this] { endTranscriptLine(); })
                 << QObject::connect(&voice_, &Voice::computerUseFinished,
                                     [this](const ComputerUseResult& result) {
                                         endTranscriptLine();
                                         out_ << "Capture One: " << result.summary << Qt::endl;
                                     })
                 << QObject::connect(&voice_, &Voice::errorOccurred,
                                     [this](const QString& message) { printError(message); })
                 << QObject::connect(&voice_, &Voice::recoverableErrorOccurred,
                                     [this](const QString& message) { printError(message); });
}

void RealtimeSessionPrinter::printSessionStart() {
    out_ << "Starting voice mode. Say \"that's it\" to stop." << Qt::endl;
}

void RealtimeSessionPrinter::printTranscript(const QString& transcript) {
    // The service reports its whole transcript buffer each time: print what is new. A buffer that no
    // longer starts with what was printed belongs to a new response.
    QStringView added = transcript;
    if (transcript.startsWith(seenTranscript_)) {
        added = added.mid(seenTranscript_.size());
    } else {
        endTranscriptLine();
    }
    seenTranscript_ = transcript;
    if (added.trimmed().isEmpty()) {
        return;
    }
    if (!lineOpen_) {
        out_ << "Orbix: ";
        while (!added.isEmpty() && added.front().isSpace()) {
            added = added.mid(1);
        }
        lineOpen_ = true;
    }
    out_ << added << Qt::flush;
}

void RealtimeSessionPrinter::printError(const QString& message) {
    endTranscriptLine();
    out_ << "Voice: " << message << Qt::endl;
}

void RealtimeSessionPrinter::endTranscriptLine() {
    if (lineOpen_) {
        out_ << Qt::endl;
        lineOpen_ = false;
    }
}

} // namespace orbix
