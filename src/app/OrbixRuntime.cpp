#include "app/OrbixRuntime.h"

#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "core/Settings.h"
#include "model/AppModel.h"
#include "platform/PlatformAccessibility.h"
#include "platform/PlatformAudio.h"
#include "platform/PlatformWorkspace.h"
#include "services/OpenAIAssistantProvider.h"
#include "services/ProductUpdateService.h"
#include "voice/OpenAIRealtimeVoiceService.h"

#include <QNetworkAccessManager>

namespace orbix {

OrbixRuntime::OrbixRuntime()
    : settings_(std::make_unique<Settings>()), network_(std::make_unique<QNetworkAccessManager>()),
      workspace_(createWorkspace()), accessibility_(createAccessibilityBackend()),
      assistantProvider_(std::make_unique<OpenAIAssistantProvider>(*network_)),
      productUpdateService_(std::make_unique<ProductUpdateService>(*network_)),
      computerUseService_(
          std::make_unique<MacComputerUseService>(CaptureOneService::shared(), *workspace_, *accessibility_)) {
    AppModelServices services;
    services.assistantProvider = assistantProvider_.get();
    services.computerUseService = computerUseService_.get();
    services.captureOne = &CaptureOneService::shared();
    services.productUpdateService = productUpdateService_.get();
    services.workspace = workspace_.get();

    RealtimeVoiceServiceOptions voiceOptions;
    voiceOptions.audioInput = createDefaultAudioInput();
    voiceOptions.audioOutput = createDefaultAudioOutput();
    voice_ = std::make_unique<OpenAIRealtimeVoiceService>(
        *network_, OpenAIRealtimeVoiceService::executorFor(*computerUseService_), voiceOptions);
    OpenAIRealtimeVoiceService* voice = voice_.get();
    // The microphone control and the mode switch start, stop and toggle the session.
    services.voice.startComputerUseVoiceMode = [voice] { voice->start(true); };
    services.voice.stopSession = [voice](std::function<void()> done) {
        voice->stop();
        if (done) {
            done();
        }
    };
    services.voice.isSessionActive = [voice] { return voice->isActive(); };
    services.voice.setVoiceMode = [voice](bool enabled) { voice->setVoiceMode(enabled); };
    services.voice.finishLocalFeedbackAndScheduleIdleDisconnect = [voice] {
        voice->finishLocalFeedbackAndScheduleIdleDisconnect();
    };

    model_ = std::make_unique<AppModel>(std::move(services));
    voice_->onStateChange = [model = model_.get()](RealtimeVoiceState state) {
        model->setRealtimeVoiceState(state);
    };
}

OrbixRuntime::~OrbixRuntime() = default;

} // namespace orbix
