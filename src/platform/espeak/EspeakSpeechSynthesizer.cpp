#include "platform/espeak/EspeakSpeechSynthesizer.h"

#include "platform/espeak/EspeakEngine.h"
#include "voice/AudioConversion.h"

#include <QMetaObject>
#include <QtGlobal>

namespace orbix {

EspeakSpeechSynthesizer::EspeakSpeechSynthesizer(std::shared_ptr<AudioOutput> speaker, QString dataPath,
                                                 std::chrono::milliseconds drainGrace)
    : speaker_(std::move(speaker)), dataPath_(std::move(dataPath)), drainGrace_(drainGrace) {
    drainTimer_.setInterval(drainPollInterval);
    QObject::connect(&drainTimer_, &QTimer::timeout, &mainContext_, [this] { checkPlayedOut(); });
    worker_.setObjectName(QStringLiteral("orbix-speech-synthesis"));
    workerContext_ = new QObject;
    workerContext_->moveToThread(&worker_);
    QObject::connect(&worker_, &QThread::finished, workerContext_, &QObject::deleteLater);
    worker_.start();
}

EspeakSpeechSynthesizer::~EspeakSpeechSynthesizer() {
    if (current_) {
        current_->cancelled->store(true);
        if (current_->playing && speaker_) {
            speaker_->discardQueued();
        }
    }
    // No result can be posted to the main context once the worker has stopped.
    worker_.quit();
    worker_.wait();
}

void EspeakSpeechSynthesizer::setEndHandler(EndHandler handler) {
    endHandler_ = std::move(handler);
}

bool EspeakSpeechSynthesizer::isSpeaking() const {
    return current_.has_value();
}

quint64 EspeakSpeechSynthesizer::speak(const QString& text) {
    if (current_) {
        cancelCurrent();
    }
    const quint64 number = ++lastNumber_;
    Utterance utterance;
    utterance.number = number;
    utterance.cancelled = std::make_shared<std::atomic<bool>>(false);
    current_ = std::move(utterance);
    QObject* mainContext = &mainContext_;
    QMetaObject::invokeMethod(
        workerContext_,
        [this, mainContext, number, text, dataPath = dataPath_, cancelled = current_->cancelled] {
            if (cancelled->load()) {
                return;
            }
            EspeakSynthesis synthesis = EspeakEngine::synthesize(text, dataPath, *cancelled);
            if (synthesis.cancelled) {
                return;
            }
            std::vector<float> samples = resampledToRealtimeRate(synthesis.samples, synthesis.sampleRate);
            // The main context outlives this call: the destructor waits for the worker.
            QMetaObject::invokeMethod(
                mainContext,
                [this, number, samples = std::move(samples), error = std::move(synthesis.error)]() mutable {
                    synthesised(number, std::move(samples), std::move(error));
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return number;
}

void EspeakSpeechSynthesizer::stop() {
    if (current_) {
        cancelCurrent();
    }
}

void EspeakSpeechSynthesizer::synthesised(quint64 number, std::vector<float> samples,
                                          std::optional<QString> error) {
    if (!current_ || current_->number != number) {
        return; // cut off while it was being synthesised
    }
    if (error) {
        if (lastError_ != error) {
            qWarning("Orbix cannot speak: %s", qUtf8Printable(*error));
        }
        lastError_ = std::move(error);
        finishCurrent();
        return;
    }
    lastError_.reset();
    if (samples.empty() || !speaker_) {
        finishCurrent();
        return;
    }
    current_->playedFrames = qint64(samples.size());
    speaker_->play(std::move(samples));
    current_->playing = true;
    current_->sincePlayed.start();
    drainTimer_.start();
}

void EspeakSpeechSynthesizer::checkPlayedOut() {
    if (!current_ || !current_->playing) {
        drainTimer_.stop();
        return;
    }
    if (speaker_->unplayedFrames() == 0) {
        finishCurrent();
        return;
    }
    const qint64 audioMilliseconds = current_->playedFrames * 1000 / AudioOutput::sampleRate;
    if (current_->sincePlayed.elapsed() > audioMilliseconds + qint64(drainGrace_.count())) {
        speaker_->discardQueued();
        finishCurrent();
    }
}

void EspeakSpeechSynthesizer::cancelCurrent() {
    Utterance utterance = std::move(*current_);
    current_.reset();
    drainTimer_.stop();
    utterance.cancelled->store(true);
    if (utterance.playing && speaker_) {
        speaker_->discardQueued();
    }
    deliverEnd(utterance.number, UtteranceEnd::cancelled);
}

void EspeakSpeechSynthesizer::finishCurrent() {
    const quint64 number = current_->number;
    current_.reset();
    drainTimer_.stop();
    deliverEnd(number, UtteranceEnd::finished);
}

void EspeakSpeechSynthesizer::deliverEnd(quint64 number, UtteranceEnd end) {
    QMetaObject::invokeMethod(
        &mainContext_,
        [this, number, end] {
            if (endHandler_) {
                endHandler_(number, end);
            }
        },
        Qt::QueuedConnection);
}

} // namespace orbix
