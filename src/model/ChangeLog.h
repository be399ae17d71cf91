#pragma once
// The session's changes written out: the "Session Changes" Markdown (one line per change, newest first),
// CSV (one row per changed property of each variant) and JSON (the typed fields).

#include "core/ChangeRecord.h"

#include <QJsonArray>
#include <QList>
#include <QString>

namespace orbix::changelog {

inline const QString title = QStringLiteral("Session Changes");

// The lines without a heading: the artifact shows its title above them.
QString markdown(const QList<ChangeRecord>& changes);
QString csv(const QList<ChangeRecord>& changes);
QJsonArray json(const QList<ChangeRecord>& changes);

} // namespace orbix::changelog
