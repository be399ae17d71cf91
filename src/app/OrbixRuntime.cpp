#include "app/OrbixRuntime.h"

#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "core/Settings.h"
#include "model/AppModel.h"
#include "platform/PlatformAccessibility.h"
#include "platform/PlatformWorkspace.h"
#include "services/OpenAIAssistantProvider.h"
#include "services/ProductUpdateService.h"

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
    model_ = std::make_unique<AppModel>(std::move(services));
}

OrbixRuntime::~OrbixRuntime() = default;

} // namespace orbix
