#include "platform/espeak/EspeakEngine.h"

#include <QFile>
#include <espeak-ng/espeak_ng.h>
#include <mutex>

namespace orbix {

namespace {

constexpr char voiceName[] = "en-us";

// The outcome of initialising the process's engine, kept for every later call.
struct EngineState {
    bool attempted = false;
    int sampleRate = 0;
    std::optional<QString> error;
};

std::mutex engineMutex;
EngineState engine;

// What the synthesis callback writes into; reached through the user data of the synthesis call.
struct SynthesisTarget {
    std::vector<qint16>* samples;
    const std::atomic<bool>* cancelled;
};

QString statusText(espeak_ng_STATUS status) {
    char message[512] = {};
    espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
    return QString::fromLocal8Bit(message);
}

int collectSamples(short* wave, int count, espeak_EVENT* events) {
    auto* target = events ? static_cast<SynthesisTarget*>(events->user_data) : nullptr;
    if (!target) {
        return 0;
    }
    if (target->cancelled->load()) {
        return 1; // abort the synthesis
    }
    if (wave && count > 0) {
        target->samples->insert(target->samples->end(), wave, wave + count);
    }
    return 0;
}

void initialise(const QString& dataPath) {
    engine.attempted = true;
    const QByteArray path = QFile::encodeName(dataPath);
    espeak_ng_InitializePath(dataPath.isEmpty() ? nullptr : path.constData());
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK) {
        engine.error = QStringLiteral("espeak-ng could not load its data: %1").arg(statusText(status));
        return;
    }
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK) {
        engine.error = QStringLiteral("espeak-ng could not start: %1").arg(statusText(status));
        return;
    }
    espeak_SetSynthCallback(collectSamples);
    status = espeak_ng_SetVoiceByName(voiceName);
    if (status != ENS_OK) {
        engine.error =
            QStringLiteral("espeak-ng has no %1 voice: %2").arg(QLatin1String(voiceName), statusText(status));
        return;
    }
    engine.sampleRate = espeak_ng_GetSampleRate();
}

} // namespace

EspeakSynthesis EspeakEngine::synthesize(const QString& text, const QString& dataPath,
                                         const std::atomic<bool>& cancelled) {
    std::lock_guard lock(engineMutex);
    if (!engine.attempted) {
        initialise(dataPath);
    }
    EspeakSynthesis result;
    if (engine.error) {
        result.error = engine.error;
        return result;
    }
    result.sampleRate = engine.sampleRate;
    SynthesisTarget target{&result.samples, &cancelled};
    const QByteArray utf8 = text.toUtf8();
    const espeak_ng_STATUS status = espeak_ng_Synthesize(utf8.constData(), size_t(utf8.size()) + 1, 0,
                                                         POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &target);
    result.cancelled = cancelled.load();
    if (status != ENS_OK && !result.cancelled) {
        result.error = QStringLiteral("espeak-ng could not speak: %1").arg(statusText(status));
        result.samples.clear();
    }
    return result;
}

} // namespace orbix
