// Importing through the folder chooser: the window shows the chooser, the model imports what it confirms.
#include "model/AppModel.h"

#include <QPointer>
#include <QUrl>

namespace orbix {

void AppModel::setFolderChooser(FolderChooser chooser) {
    folderChooser_ = std::move(chooser);
}

void AppModel::importPhotosFromFolder() {
    if (!folderChooser_) {
        return;
    }
    // The chooser is not modal: the model may be gone by the time the user confirms.
    folderChooser_([model = QPointer<AppModel>(this)](const QUrl& folder) {
        if (model && folder.isValid() && !folder.isEmpty()) {
            model->importPhotos(folder);
        }
    });
}

} // namespace orbix
