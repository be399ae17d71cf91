#pragma once
// The folder chooser the window lends the model for "Import Photos": a non-modal directory dialog.

#include "model/AppModel.h"

class QWidget;

namespace orbix::views {

// A chooser whose dialogs open over `parent` (or on their own once the parent is gone), one at a time: while
// one is open, asking again brings it forward.
FolderChooser makeFolderChooserDialog(QWidget* parent);

} // namespace orbix::views
