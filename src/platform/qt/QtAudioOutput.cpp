#include "platform/qt/QtAudioOutput.h"

#include "platform/qt/DefaultAudioDevices.h"

#include <QAudioSink>
#include <cstring>

namespace orbix {

QtAudioOutput::QtAudioOutput() {
    feedTimer_.setInterval(feedInterval);
    QObject::connect(&feedTimer_, &QTimer::timeout, &feedTimer_, [this] { feed(); });
}

QtAudioOutput::~QtAudioOutput() {
    stop();
}

std::optional<QString> QtAudioOutput::start() {
    if (isRunning()) {
        return std::nullopt;
    }
    const QAudioDevice device = defaultAudioOutputDevice();
    if (device.isNull()) {
        return QStringLiteral("No speaker was found.");
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Float);
    sink_ = std::make_unique<QAudioSink>(device, format);
    io_ = sink_->start();
    if (!io_) {
        sink_.reset();
        return QStringLiteral("Could not start audio playback.");
    }
    feed();
    return std::nullopt;
}

bool QtAudioOutput::isRunning() const {
    return sink_ && io_;
}

void QtAudioOutput::play(std::vector<float> samples) {
    if (!isRunning() && start()) {
        return;
    }
    queued_.append(reinterpret_cast<const char*>(samples.data()), qsizetype(samples.size() * sizeof(float)));
    const qsizetype limit = qsizetype(maximumQueuedFrames * qint64(sizeof(float)));
    if (queued_.size() > limit) {
        queued_.remove(0, queued_.size() - limit);
    }
    feed();
}

void QtAudioOutput::discardQueued() {
    queued_.clear();
    if (isRunning()) {
        stop();
        start();
    }
}

void QtAudioOutput::stop() {
    feedTimer_.stop();
    queued_.clear();
    if (sink_) {
        sink_->stop();
    }
    sink_.reset();
    io_ = nullptr;
}

qint64 QtAudioOutput::unplayedFrames() const {
    if (!isRunning()) {
        return 0;
    }
    // What the sink holds and has not played yet is its buffer less the room it offers.
    const qint64 inSink = std::max<qint64>(0, sink_->bufferSize() - sink_->bytesFree());
    return (qint64(queued_.size()) + inSink) / qint64(sizeof(float));
}

void QtAudioOutput::feed() {
    if (!isRunning()) {
        return;
    }
    // Whole samples only, as much as the sink takes now.
    const qsizetype room = std::min<qsizetype>(sink_->bytesFree(), queued_.size()) / qsizetype(sizeof(float)) *
                           qsizetype(sizeof(float));
    if (room > 0) {
        const qint64 written = io_->write(queued_.constData(), room);
        if (written > 0) {
            queued_.remove(0, qsizetype(written));
        }
    }
    if (queued_.isEmpty()) {
        feedTimer_.stop();
    } else if (!feedTimer_.isActive()) {
        feedTimer_.start();
    }
}

} // namespace orbix
