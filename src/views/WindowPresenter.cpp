#include "views/WindowPresenter.h"

#include "views/ContentView.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace orbix::views {

WindowPresenter::WindowPresenter(ContentView& window) : WindowPresenter(window, findSoundSettings()) {}

WindowPresenter::WindowPresenter(ContentView& window, std::optional<SoundSettingsCommand> soundSettings)
    : window_(window), soundSettings_(std::move(soundSettings)) {}

void WindowPresenter::activateAppWindows() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const bool isOrdinaryWindow = widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog;
        // Windows the user closed stay closed; menus and tool tips are not windows to bring forward.
        if (widget == &window_ || !isOrdinaryWindow || !widget->isVisible()) {
            continue;
        }
        widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
        widget->raise();
    }
    window_.bringToFront();
    if (alert_) {
        alert_->raise();
    }
}

void WindowPresenter::presentVoicePermissionAlert(const VoicePermissionAlert& alert) {
    auto* box = new QMessageBox(&window_);
    box->setObjectName(QStringLiteral("voicePermissionAlert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setIcon(QMessageBox::Warning);
    box->setText(alert.messageText);
    box->setInformativeText(alert.informativeText);
    QPushButton* open = nullptr;
    if (soundSettings_) {
        open = box->addButton(alert.openSettingsButton, QMessageBox::AcceptRole);
        open->setObjectName(QStringLiteral("openSettingsButton"));
        QObject::connect(open, &QPushButton::clicked, box,
                         [settings = *soundSettings_] { openSoundSettings(settings); });
    }
    QPushButton* dismiss = box->addButton(alert.dismissButton, QMessageBox::RejectRole);
    dismiss->setObjectName(QStringLiteral("dismissButton"));
    box->setDefaultButton(open ? open : dismiss);
    box->setEscapeButton(dismiss);
    alert_ = box;
    box->show();
}

} // namespace orbix::views
