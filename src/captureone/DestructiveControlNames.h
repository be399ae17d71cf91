#pragma once
// The UI fallback's test for controls it never presses: names that delete, discard, reset or overwrite
// something, in English and in the languages Capture One's interface (and so its accessibility tree) may
// be shown in here: German, French, Spanish, Italian, Dutch, Portuguese and Swedish.

#include <QString>
#include <QStringList>

namespace orbix::destructive {

// Whether the name contains one of the destructive words (case-insensitive substring test, so that
// "Move to Trash", "deleteVariant" and "Variante löschen" are all caught).
bool namesDestructiveControl(const QString& name);

// The same test over the texts that name the element a request was matched to.
bool anyNamesDestructiveControl(const QStringList& namingTexts);

} // namespace orbix::destructive
