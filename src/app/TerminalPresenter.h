#pragma once
// The command line's side of the model's presenter port: there is no window to bring forward, and an
// alert is printed (its message and informative text) to the error stream.

#include "model/AppPresenter.h"

#include <QTextStream>

namespace orbix {

class TerminalPresenter final : public AppPresenter {
public:
    // Prints to standard error.
    TerminalPresenter();
    explicit TerminalPresenter(QTextStream& errors);

    void activateAppWindows() override {}
    void presentVoicePermissionAlert(const VoicePermissionAlert& alert) override;

private:
    QTextStream standardError_;
    QTextStream& errors_;
};

} // namespace orbix
