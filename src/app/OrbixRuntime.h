#pragma once
// The composition root: builds the platform backends, the services and the one application model, and
// keeps them for the life of the process.

#include <memory>

class QNetworkAccessManager;

namespace orbix {

class AccessibilityBackend;
class AppModel;
class AudioInputDevices;
class CaptureOneApplicationResolver;
class CaptureOneService;
class MacComputerUseService;
class OpenAIAssistantProvider;
class OpenAIRealtimeVoiceService;
class ProductUpdateService;
class Settings;
class SpeechFeedbackService;
class TerminalPresenter;
class WakeWordVoiceService;
class Workspace;

class OrbixRuntime {
public:
    // `watchesMicrophones`: the model learns whether a microphone exists and when one is plugged in (the
    // window wants this; the command line keeps the sound server untouched until voice is asked for).
    explicit OrbixRuntime(bool watchesMicrophones = false);
    ~OrbixRuntime();
    OrbixRuntime(const OrbixRuntime&) = delete;
    OrbixRuntime& operator=(const OrbixRuntime&) = delete;

    AppModel& model() { return *model_; }
    Settings& settings() { return *settings_; }
    CaptureOneService& captureOneService() { return *captureOne_; }
    MacComputerUseService& computerUseService() { return *computerUseService_; }
    OpenAIRealtimeVoiceService& voiceService() { return *voice_; }
    WakeWordVoiceService& wakeWordVoiceService() { return *wakeWordVoice_; }
    SpeechFeedbackService& speechFeedbackService() { return *speechFeedback_; }

private:
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<AccessibilityBackend> accessibility_;
    std::unique_ptr<CaptureOneApplicationResolver> resolver_;
    std::unique_ptr<CaptureOneService> captureOne_;
    std::unique_ptr<OpenAIAssistantProvider> assistantProvider_;
    std::unique_ptr<ProductUpdateService> productUpdateService_;
    std::unique_ptr<MacComputerUseService> computerUseService_;
    // Runs its tool calls through computerUseService_.
    std::unique_ptr<OpenAIRealtimeVoiceService> voice_;
    // The wake phrase listener has a microphone of its own; the feedback service its own speaker.
    std::unique_ptr<WakeWordVoiceService> wakeWordVoice_;
    std::unique_ptr<SpeechFeedbackService> speechFeedback_;
    // Tells a machine without a microphone from a refused one, and notices one plugged in later.
    std::unique_ptr<AudioInputDevices> audioInputDevices_;
    // Prints the model's alerts until a window takes over.
    std::unique_ptr<TerminalPresenter> terminalPresenter_;
    // Destroyed first: its callbacks stay installed on the services above and find it gone.
    std::unique_ptr<AppModel> model_;
};

} // namespace orbix
