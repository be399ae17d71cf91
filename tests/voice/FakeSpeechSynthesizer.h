#pragma once
// A speech synthesiser that speaks nothing: it records every text and ends utterances when the test says so,
// delivering each end once, from the event loop, as the port requires. A new text cuts off the one being
// spoken, as the espeak-ng backend does.

#include "voice/SpeechSynthesizer.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <optional>
#include <utility>
#include <vector>

namespace orbix::test {

class FakeSpeechSynthesizer final : public SpeechSynthesizer {
public:
    struct Utterance {
        quint64 number = 0;
        QString text;
    };

    // Every text given to speak, in order.
    std::vector<Utterance> spoken;
    // Every end handed to the end handler, in order.
    std::vector<std::pair<quint64, UtteranceEnd>> deliveredEnds;
    int stopCount = 0;
    // When set, each utterance finishes by itself on the next turn of the event loop.
    bool finishesAtOnce = false;

    void setEndHandler(EndHandler handler) override { handler_ = std::move(handler); }
    bool isSpeaking() const override { return current_.has_value(); }
    quint64 speak(const QString& text) override {
        if (current_) {
            end(UtteranceEnd::cancelled);
        }
        const quint64 number = ++lastNumber_;
        spoken.push_back({number, text});
        current_ = number;
        if (finishesAtOnce) {
            QMetaObject::invokeMethod(
                &context_,
                [this, number] {
                    if (current_ == number) {
                        finishSpeaking();
                    }
                },
                Qt::QueuedConnection);
        }
        return number;
    }
    void stop() override {
        ++stopCount;
        if (current_) {
            end(UtteranceEnd::cancelled);
        }
    }

    // The utterance being spoken has been played out.
    void finishSpeaking() { end(UtteranceEnd::finished); }
    // The utterance being spoken broke off by itself (the audio device went away, the engine failed).
    void breakOff() { end(UtteranceEnd::cancelled); }

    QString lastText() const { return spoken.empty() ? QString() : spoken.back().text; }

private:
    void end(UtteranceEnd kind) {
        if (!current_) {
            return;
        }
        const quint64 number = *current_;
        current_.reset();
        QMetaObject::invokeMethod(
            &context_,
            [this, number, kind] {
                deliveredEnds.emplace_back(number, kind);
                if (handler_) {
                    handler_(number, kind);
                }
            },
            Qt::QueuedConnection);
    }

    // Ends still queued when the fake is destroyed are never delivered.
    QObject context_;
    EndHandler handler_;
    std::optional<quint64> current_;
    quint64 lastNumber_ = 0;
};

} // namespace orbix::test
