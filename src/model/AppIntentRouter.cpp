#include "model/AppIntentRouter.h"

namespace orbix {

AppIntentRouter::AppIntentRouter(QObject* parent) : QObject(parent) {}

void AppIntentRouter::setPendingRoute(std::optional<AppIntentRoute> route) {
    pendingRoute_ = std::move(route);
    emit pendingRouteChanged();
}

} // namespace orbix
