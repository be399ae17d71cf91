#include "platform/pocketsphinx/PocketsphinxSpeechRecognizer.h"

#include "voice/AudioConversion.h"

#include <QCoreApplication>
#include <QThread>
#include <cstring>
#include <vector>

namespace orbix {

PocketsphinxSpeechRecognizer::PocketsphinxSpeechRecognizer(std::shared_ptr<AudioInput> microphone,
                                                           PocketsphinxModel model,
                                                           WakePhraseDecoderSettings settings)
    : microphone_(std::move(microphone)), model_(std::move(model)), settings_(settings),
      thread_([this] { run(); }) {}

PocketsphinxSpeechRecognizer::~PocketsphinxSpeechRecognizer() {
    stop();
    {
        std::lock_guard lock(queueMutex_);
        quitting_ = true;
    }
    queueChanged_.notify_all();
    thread_.join();
}

void PocketsphinxSpeechRecognizer::requestMicrophoneAccess(PermissionAnswer answer) {
    // Asked on the main thread, as the microphone port expects; the listener asks from its own thread,
    // and the answer may come from any thread.
    auto ask = [microphone = microphone_, answer = std::move(answer)] {
        answer(microphone && microphone->hasDevice());
    };
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        ask();
        return;
    }
    QMetaObject::invokeMethod(application, std::move(ask), Qt::QueuedConnection);
}

void PocketsphinxSpeechRecognizer::requestRecognitionAuthorization(PermissionAnswer answer) {
    post({0, {}, [this, answer = std::move(answer)] { answer(decoder() != nullptr); }});
}

bool PocketsphinxSpeechRecognizer::isRecognitionAvailable() const {
    return model_.exists();
}

std::optional<QString> PocketsphinxSpeechRecognizer::start(ResultHandler handler) {
    stop();
    if (!microphone_) {
        return QStringLiteral("No microphone was found.");
    }
    const AudioInputFormat format = microphone_->format();
    std::shared_ptr<CaptureConverter> converter = CaptureConverter::create(format, recognitionSampleRate);
    if (!converter) {
        return QStringLiteral("The microphone’s audio format is not supported.");
    }
    quint64 session = 0;
    {
        std::lock_guard lock(sessionMutex_);
        session = ++lastSession_;
        session_ = session;
        handler_ = std::move(handler);
    }
    {
        std::lock_guard lock(queueMutex_);
        maximumQueuedBytes_ = qint64(maximumQueuedSeconds) * format.sampleRate * format.bytesPerFrame();
    }
    post({session, {}, [this, session, converter] { beginSession(session, converter); }});
    const auto error = microphone_->start([this, session](const CapturedAudio& buffer) {
        post({session, buffer.samples, {}});
    });
    if (error) {
        std::lock_guard lock(sessionMutex_);
        session_ = 0;
        handler_ = {};
    }
    return error;
}

void PocketsphinxSpeechRecognizer::stop() {
    if (microphone_) {
        microphone_->stop();
    }
    {
        std::lock_guard lock(sessionMutex_);
        session_ = 0;
        handler_ = {};
    }
    // Audio still waiting belongs to the stopped session; permission answers stay queued.
    std::lock_guard lock(queueMutex_);
    std::erase_if(jobs_, [](const Job& job) { return !job.task; });
    queuedAudioBytes_ = 0;
}

void PocketsphinxSpeechRecognizer::post(Job job) {
    {
        std::lock_guard lock(queueMutex_);
        if (!job.task) {
            if (queuedAudioBytes_ + job.audio.size() > maximumQueuedBytes_) {
                return;
            }
            queuedAudioBytes_ += job.audio.size();
        }
        jobs_.push_back(std::move(job));
    }
    queueChanged_.notify_one();
}

void PocketsphinxSpeechRecognizer::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(queueMutex_);
            queueChanged_.wait(lock, [this] { return quitting_ || !jobs_.empty(); });
            if (quitting_) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
            if (!job.task) {
                queuedAudioBytes_ -= job.audio.size();
            }
        }
        if (job.task) {
            job.task();
        } else {
            decode(job.session, job.audio);
        }
    }
}

WakePhraseDecoder* PocketsphinxSpeechRecognizer::decoder() {
    if (!decoder_ && !decoderFailed_) {
        QString error;
        decoder_ = WakePhraseDecoder::create(model_, settings_, &error);
        decoderFailed_ = !decoder_;
    }
    return decoder_.get();
}

void PocketsphinxSpeechRecognizer::beginSession(quint64 session, std::shared_ptr<CaptureConverter> converter) {
    decodingSession_ = session;
    converter_ = std::move(converter);
    // Without a model the microphone still runs, and nothing is recognised.
    if (model_.exists()) {
        if (WakePhraseDecoder* active = decoder()) {
            active->reset();
        }
    }
}

void PocketsphinxSpeechRecognizer::decode(quint64 session, const QByteArray& audio) {
    {
        std::lock_guard lock(sessionMutex_);
        if (session != session_) {
            return;
        }
    }
    if (session != decodingSession_ || !converter_ || !decoder_) {
        return;
    }
    const QByteArray pcm = converter_->convert(CapturedAudio{audio});
    std::vector<qint16> samples(size_t(pcm.size() / 2));
    if (samples.empty()) {
        return;
    }
    std::memcpy(samples.data(), pcm.constData(), samples.size() * sizeof(qint16));
    std::vector<DecodedUtterance> ended;
    decoder_->feed(samples, ended);
    for (const DecodedUtterance& utterance : ended) {
        deliver(session, {utterance.transcript, true});
    }
}

void PocketsphinxSpeechRecognizer::deliver(quint64 session, const SpeechRecognitionResult& result) {
    std::lock_guard lock(sessionMutex_);
    if (session == session_ && handler_) {
        handler_(result);
    }
}

} // namespace orbix
