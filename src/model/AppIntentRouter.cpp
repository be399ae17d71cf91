#include "model/AppIntentRouter.h"

namespace orbix {

AppIntentRouter::AppIntentRouter(QObject* parent) : QObject(parent) {}

AppIntentRouter& AppIntentRouter::shared() {
    static AppIntentRouter router;
    return router;
}

void AppIntentRouter::setPendingRoute(std::optional<AppIntentRoute> route) {
    pendingRoute_ = std::move(route);
    emit pendingRouteChanged();
}

} // namespace orbix
