#pragma once
// Opening files that other people or programs may have put in place (photos in an imported folder, the
// settings file, bundle property lists) without trusting the name: the file is opened without blocking
// (a FIFO or a device behind the name would otherwise hang the reader until someone writes to it) and
// accepted only when the open handle is a regular file, so a swap between a check and the open changes
// nothing. Reading then goes through that handle.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace orbix::files {

// Whether the last component of the path may be a symbolic link. Photos may be links the user made into
// a folder of their own; the settings file is never one.
enum class Links { follow, refuse };

// Whether the path, following links, names a regular file (a look only, for scans: opening goes through
// openRegularFile).
bool isRegularFile(const QString& path);

// Opens `path` for reading into `file` when it names a regular file. False, with a reason when asked,
// for anything else (missing, a folder, a FIFO, a socket, a device, or a link when links are refused).
bool openRegularFile(QFile& file, const QString& path, Links links, QString* reason = nullptr);

// The whole content of a regular file of at most `maximumBytes`; nothing for anything else or a larger
// file.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maximumBytes, Links links,
                                          QString* reason = nullptr);

// Opens `path` for writing (created owner-only when missing, appended to when `append`), never through a
// link at the name and never blocking on a FIFO; the handle must be a regular file, whose mode is then
// narrowed to owner-only through it. A descriptor to close, or -1 for anything else.
int openOwnerOnlyForWriting(const QString& path, bool append);

} // namespace orbix::files
