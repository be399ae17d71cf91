#include "app/OrbixRuntime.h"

#include "app/TerminalPresenter.h"
#include "captureone/CaptureOneApplicationResolver.h"
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "core/Settings.h"
#include "model/AppModel.h"
#include "platform/PlatformAccessibility.h"
#include "platform/PlatformAudio.h"
#include "platform/PlatformSpeechRecognition.h"
#include "platform/PlatformSpeechSynthesis.h"
#include "platform/PlatformWorkspace.h"
#include "services/OpenAIAssistantProvider.h"
#include "services/ProductUpdateService.h"
#include "voice/OpenAIRealtimeVoiceService.h"
#include "voice/SpeechFeedbackService.h"
#include "voice/WakeWordVoiceService.h"

#include <QNetworkAccessManager>

namespace orbix {

OrbixRuntime::OrbixRuntime(bool watchesMicrophones)
    : settings_(std::make_unique<Settings>()), network_(std::make_unique<QNetworkAccessManager>()),
      workspace_(createWorkspace()), accessibility_(createAccessibilityBackend()),
      resolver_(std::make_unique<CaptureOneApplicationResolver>(
          *settings_, CaptureOneApplicationResolver::defaultApplicationFolders())),
      captureOne_(std::make_unique<CaptureOneService>(std::make_shared<OsascriptRunner>(), *resolver_)),
      assistantProvider_(std::make_unique<OpenAIAssistantProvider>(*network_)),
      productUpdateService_(std::make_unique<ProductUpdateService>(*network_)),
      computerUseService_(
          std::make_unique<MacComputerUseService>(*captureOne_, *settings_, *workspace_, *accessibility_)) {
    AppModelServices services;
    services.assistantProvider = assistantProvider_.get();
    services.computerUseService = computerUseService_.get();
    services.captureOne = captureOne_.get();
    services.productUpdateService = productUpdateService_.get();
    services.workspace = workspace_.get();
    services.batchConfirmationThreshold = [settings = settings_.get()] {
        return settings->batchConfirmationThreshold();
    };

    RealtimeVoiceServiceOptions voiceOptions;
    voiceOptions.audioInput = createDefaultAudioInput();
    voiceOptions.audioOutput = createDefaultAudioOutput();
    voice_ =
        std::make_unique<OpenAIRealtimeVoiceService>(*network_, computerUseService_->executor(), voiceOptions);
    wakeWordVoice_ =
        std::make_unique<WakeWordVoiceService>(createDefaultSpeechRecognizer(createDefaultAudioInput()));
    speechFeedback_ =
        std::make_unique<SpeechFeedbackService>(createDefaultSpeechSynthesizer(createDefaultAudioOutput()));
    services.realtimeVoiceService = voice_.get();
    services.wakeWordVoiceService = wakeWordVoice_.get();
    services.speechFeedbackService = speechFeedback_.get();
    if (watchesMicrophones) {
        audioInputDevices_ = createAudioInputDevices();
        services.audioInputDevices = audioInputDevices_.get();
    }

    model_ = std::make_unique<AppModel>(std::move(services));
    terminalPresenter_ = std::make_unique<TerminalPresenter>();
    model_->setPresenter(terminalPresenter_.get());
}

OrbixRuntime::~OrbixRuntime() = default;

} // namespace orbix
