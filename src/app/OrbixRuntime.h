#pragma once
// The composition root: builds the platform backends, the services and the one application model, and
// keeps them for the life of the process.

#include <memory>

class QNetworkAccessManager;

namespace orbix {

class AccessibilityBackend;
class AppModel;
class MacComputerUseService;
class OpenAIAssistantProvider;
class OpenAIRealtimeVoiceService;
class ProductUpdateService;
class Settings;
class Workspace;

class OrbixRuntime {
public:
    OrbixRuntime();
    ~OrbixRuntime();
    OrbixRuntime(const OrbixRuntime&) = delete;
    OrbixRuntime& operator=(const OrbixRuntime&) = delete;

    AppModel& model() { return *model_; }
    Settings& settings() { return *settings_; }
    MacComputerUseService& computerUseService() { return *computerUseService_; }
    OpenAIRealtimeVoiceService& voiceService() { return *voice_; }

private:
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<AccessibilityBackend> accessibility_;
    std::unique_ptr<OpenAIAssistantProvider> assistantProvider_;
    std::unique_ptr<ProductUpdateService> productUpdateService_;
    std::unique_ptr<MacComputerUseService> computerUseService_;
    // Runs its tool calls through computerUseService_; the model's hooks point at it.
    std::unique_ptr<OpenAIRealtimeVoiceService> voice_;
    std::unique_ptr<AppModel> model_;
};

} // namespace orbix
