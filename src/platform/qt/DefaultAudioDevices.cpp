#include "platform/qt/DefaultAudioDevices.h"

#include <QMediaDevices>
#include <mutex>

namespace orbix {

namespace {

std::mutex& lookupMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

QAudioDevice defaultAudioInputDevice() {
    std::lock_guard lock(lookupMutex());
    return QMediaDevices::defaultAudioInput();
}

QAudioDevice defaultAudioOutputDevice() {
    std::lock_guard lock(lookupMutex());
    return QMediaDevices::defaultAudioOutput();
}

} // namespace orbix
