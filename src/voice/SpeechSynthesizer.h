#pragma once
// Port: a text-to-speech engine with its own audio output.
//
// Contract: every member is called on the main thread and returns without waiting for the audio. Each
// speak returns a new utterance number; exactly one end (finished or cancelled) is delivered per
// utterance, on the main thread from the event loop, never inside the call that caused it. stop cuts the
// current utterance off at once (not at a word boundary).

#include <QString>
#include <QtGlobal>
#include <functional>

namespace orbix {

enum class UtteranceEnd { finished, cancelled };

class SpeechSynthesizer {
public:
    using EndHandler = std::function<void(quint64 utterance, UtteranceEnd end)>;

    virtual ~SpeechSynthesizer() = default;
    virtual void setEndHandler(EndHandler handler) = 0;
    virtual bool isSpeaking() const = 0;
    // Speaks the text with the default voice, language and rate.
    virtual quint64 speak(const QString& text) = 0;
    virtual void stop() = 0;
};

} // namespace orbix
