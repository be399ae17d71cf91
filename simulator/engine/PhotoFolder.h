#pragma once
// The photo files that an import or `reset --photos` takes from a folder: the folder's direct entries
// (no recursion, hidden files skipped) with a supported extension, in Finder-like name order.

#include <QString>
#include <QStringList>

namespace orbix::c1sim::photos {

// The supported extensions, lower case, without dots (19 entries).
const QStringList& supportedExtensions();
bool isSupportedPhoto(const QString& path);
// Whether the path, following links, names a regular file: not a folder, FIFO, socket or device, which
// would block whoever reads it.
bool isRegularFile(const QString& path);
// Absolute paths of the supported photos directly inside the folder, IMG_2 before IMG_10.
QStringList photosIn(const QString& folder);

} // namespace orbix::c1sim::photos
