#include "views/FolderChooserDialog.h"

#include <QFileDialog>
#include <QPointer>
#include <memory>

namespace orbix::views {

FolderChooser makeFolderChooserDialog(QWidget* parent) {
    // One chooser at a time: asking again brings the open one forward.
    auto open = std::make_shared<QPointer<QFileDialog>>();
    return [parent = QPointer<QWidget>(parent), open](std::function<void(const QUrl&)> confirmed) {
        if (QFileDialog* shown = *open; shown && shown->isVisible()) {
            shown->raise();
            shown->activateWindow();
            return;
        }
        auto* dialog = new QFileDialog(parent, QStringLiteral("Choose a folder to import into Capture One."));
        *open = dialog;
        dialog->setObjectName(QStringLiteral("importPhotosDialog"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::NonModal);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Import Photos"));
        // Read on acceptance: the selection signals differ between the native and the Qt dialog.
        QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, confirmed = std::move(confirmed)] {
            const QList<QUrl> chosen = dialog->selectedUrls();
            if (!chosen.isEmpty()) {
                confirmed(chosen.constFirst());
            }
        });
        dialog->show();
    };
}

} // namespace orbix::views
