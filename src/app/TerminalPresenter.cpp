#include "app/TerminalPresenter.h"

#include <cstdio>

namespace orbix {

TerminalPresenter::TerminalPresenter() : standardError_(stderr), errors_(standardError_) {}

TerminalPresenter::TerminalPresenter(QTextStream& errors) : errors_(errors) {}

void TerminalPresenter::presentVoicePermissionAlert(const VoicePermissionAlert& alert) {
    errors_ << alert.messageText << '\n' << alert.informativeText << Qt::endl;
}

} // namespace orbix
