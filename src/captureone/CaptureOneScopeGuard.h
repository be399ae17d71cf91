#pragma once
// Decides whether a request asks Orbix to operate some application other than Capture One.

#include <QString>

namespace orbix::CaptureOneScopeGuard {

bool isOffProductAppRequest(const QString& text);

} // namespace orbix::CaptureOneScopeGuard
