#include "platform/qt/QtAudioInput.h"

#include "platform/qt/DefaultAudioDevices.h"

#include <QAudioSource>

namespace orbix {

namespace {

QAudioFormat captureFormat(const QAudioDevice& device) {
    QAudioFormat format = device.preferredFormat();
    if (format.sampleFormat() != QAudioFormat::Int16 && format.sampleFormat() != QAudioFormat::Float) {
        format.setSampleFormat(QAudioFormat::Int16);
    }
    return format;
}

} // namespace

// Lives on the capture thread: the source, its device and the bytes of an unfinished buffer.
struct QtAudioInput::Capture {
    QAudioSource* source = nullptr;
    QIODevice* io = nullptr;
    QByteArray pending;
};

QtAudioInput::QtAudioInput() : context_(std::make_unique<QObject>()) {
    thread_.setObjectName(QStringLiteral("orbix-capture"));
    context_->moveToThread(&thread_);
}

QtAudioInput::~QtAudioInput() {
    stop();
}

bool QtAudioInput::hasDevice() const {
    return !defaultAudioInputDevice().isNull();
}

AudioInputFormat QtAudioInput::format() const {
    const QAudioFormat format = captureFormat(capture_ ? device_ : defaultAudioInputDevice());
    return {format.sampleRate(), format.channelCount(),
            format.sampleFormat() == QAudioFormat::Float ? AudioSampleType::float32 : AudioSampleType::int16};
}

std::optional<QString> QtAudioInput::start(BufferHandler handler) {
    {
        std::lock_guard lock(handlerMutex_);
        handler_ = std::move(handler);
    }
    if (capture_) {
        return std::nullopt;
    }
    // The default device of the moment: a microphone plugged in since the last session counts.
    device_ = defaultAudioInputDevice();
    if (device_.isNull()) {
        return QStringLiteral("No microphone was found.");
    }
    thread_.start();
    auto capture = std::make_unique<Capture>();
    const QAudioFormat format = captureFormat(device_);
    const qsizetype bufferBytes = qsizetype(bufferFrames) * format.bytesPerFrame();
    bool started = false;
    QMetaObject::invokeMethod(
        context_.get(),
        [&] {
            capture->source = new QAudioSource(device_, format);
            capture->io = capture->source->start();
            if (!capture->io) {
                delete capture->source;
                capture->source = nullptr;
                return;
            }
            Capture* raw = capture.get();
            QObject::connect(capture->io, &QIODevice::readyRead, capture->source, [this, raw, bufferBytes] {
                raw->pending.append(raw->io->readAll());
                while (raw->pending.size() >= bufferBytes) {
                    const CapturedAudio buffer{raw->pending.left(bufferBytes)};
                    raw->pending.remove(0, bufferBytes);
                    std::lock_guard lock(handlerMutex_);
                    if (handler_) {
                        handler_(buffer);
                    }
                }
            });
            started = true;
        },
        Qt::BlockingQueuedConnection);
    if (!started) {
        thread_.quit();
        thread_.wait();
        return QStringLiteral("Could not start the microphone.");
    }
    capture_ = std::move(capture);
    return std::nullopt;
}

void QtAudioInput::stop() {
    {
        std::lock_guard lock(handlerMutex_);
        handler_ = {};
    }
    if (!capture_) {
        return;
    }
    Capture* capture = capture_.get();
    QMetaObject::invokeMethod(
        context_.get(),
        [capture] {
            capture->source->stop();
            delete capture->source;
        },
        Qt::BlockingQueuedConnection);
    capture_.reset();
    thread_.quit();
    thread_.wait();
}

} // namespace orbix
