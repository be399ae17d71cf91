#pragma once
// Reads a short text aloud and tells the caller when the speaking is over, so that the microphone can be
// handed back (to the wake phrase listener or the voice session) only once Orbix is quiet.
//
// Threading: main thread only. A completion runs at most once, on the main thread from the event loop.

#include "voice/SpeechSynthesizer.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

namespace orbix {

class SpeechFeedbackService : public QObject {
    Q_OBJECT
public:
    explicit SpeechFeedbackService(std::shared_ptr<SpeechSynthesizer> synthesizer, QObject* parent = nullptr);
    ~SpeechFeedbackService() override;

    // Speaks the trimmed text and calls the completion when it has been spoken (or cut off). A blank text
    // calls the completion at once and speaks nothing. A new text cuts off the one being spoken; the
    // replaced text's completion is dropped, and the new completion runs when the new text ends.
    void speak(const QString& text, std::function<void()> completion = {});

private:
    // The completion waiting for the end of one utterance.
    struct PendingCompletion {
        quint64 utterance = 0;
        std::function<void()> completion;
    };

    void utteranceEnded(quint64 utterance);

    std::shared_ptr<SpeechSynthesizer> synthesizer_;
    std::optional<PendingCompletion> pending_;
};

} // namespace orbix
