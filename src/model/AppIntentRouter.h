#pragma once
// The router through which outside requests (shortcuts, the command line, D-Bus) reach
// the window: a request leaves a route here and the main window applies it to the model. Main thread only.

#include "core/ConversationRecords.h"

#include <QObject>
#include <optional>

namespace orbix {

class AppIntentRouter : public QObject {
    Q_OBJECT
public:
    explicit AppIntentRouter(QObject* parent = nullptr);

    // The last route left here; never cleared once set.
    const std::optional<AppIntentRoute>& pendingRoute() const { return pendingRoute_; }
    // Stores the route and publishes it, also when it equals the stored one.
    void setPendingRoute(std::optional<AppIntentRoute> route);

signals:
    void pendingRouteChanged();

private:
    std::optional<AppIntentRoute> pendingRoute_;
};

} // namespace orbix
