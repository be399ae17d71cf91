#include "voice/SpeechFeedbackService.h"

#include "core/TextRules.h"

#include <QMetaObject>

namespace orbix {

SpeechFeedbackService::SpeechFeedbackService(std::shared_ptr<SpeechSynthesizer> synthesizer, QObject* parent)
    : QObject(parent), synthesizer_(std::move(synthesizer)) {
    if (synthesizer_) {
        synthesizer_->setEndHandler([this](quint64 utterance, UtteranceEnd) { utteranceEnded(utterance); });
    }
}

SpeechFeedbackService::~SpeechFeedbackService() {
    if (!synthesizer_) {
        return;
    }
    // The synthesiser may outlive the service: it must not call back into it, nor keep speaking for it.
    synthesizer_->setEndHandler({});
    if (synthesizer_->isSpeaking()) {
        synthesizer_->stop();
    }
}

void SpeechFeedbackService::speak(const QString& text, std::function<void()> completion) {
    const QString spoken = orbix::text::trimmed(text);
    if (spoken.isEmpty() || !synthesizer_) {
        if (completion) {
            QMetaObject::invokeMethod(this, std::move(completion), Qt::QueuedConnection);
        }
        return;
    }
    // The replaced utterance's completion is dropped here, so that its cancellation cannot hand the
    // microphone back while the new text is still being spoken: each completion waits for its own utterance.
    pending_.reset();
    if (synthesizer_->isSpeaking()) {
        synthesizer_->stop();
    }
    const quint64 utterance = synthesizer_->speak(spoken);
    if (completion) {
        pending_ = PendingCompletion{utterance, std::move(completion)};
    }
}

void SpeechFeedbackService::utteranceEnded(quint64 utterance) {
    if (!pending_ || pending_->utterance != utterance) {
        return;
    }
    // Cleared before the call: the completion may speak again.
    std::function<void()> completion = std::move(pending_->completion);
    pending_.reset();
    completion();
}

} // namespace orbix
