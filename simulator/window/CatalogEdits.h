#pragma once
// What the simulator's window does to the catalog: the user's selection, and the features that have no
// scripting term (before/after, export, keystone from the tool's field, spot removal, deleting variants).
// Plain operations on a Catalog, plus the locked read and read-modify-write of the file the window uses.

#include "engine/Catalog.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orbix::c1sim::edits {

inline constexpr double kKeystoneMinimum = -100;
inline constexpr double kKeystoneMaximum = 100;

// Selects the variants with these ids in this order (unknown ids are skipped); the primary is `primary`
// when it is among them, else the first. An empty list clears the selection.
void selectVariants(Document& document, const QStringList& ids, const QString& primary);
// Exports every selected variant (one entry each, a JPEG named after the variant); returns how many.
int exportSelectedVariants(Document& document);
void setBeforeAfter(Document& document, bool shown);
// Sets the primary variant's vertical keystone correction; false without a primary or out of range.
bool setKeystone(Document& document, double amount);
// Heals one more spot on the primary variant; false without a primary.
bool removeSpot(Document& document);
// Deletes the selected variants (their queued jobs stay); the variant after the last deleted one, else
// the one before, becomes the selection. Returns how many were deleted.
int deleteSelectedVariants(Document& document);

// The keystone field's text as an amount: a number (decimal point or comma, typographic minus accepted)
// within the keystone range, or none.
std::optional<double> keystoneAmount(const QString& text);

// Reads the catalog under its lock (released before returning). None, with a reason, when it cannot.
std::optional<Catalog> readCatalog(const QString& path, QString* reason);
// Locks, loads, applies `edit` and saves when it reports a change. False, with a reason, when the catalog
// could not be read or written; `edit` returning false is not a failure.
bool editCatalog(const QString& path, const std::function<bool(Catalog&)>& edit, QString* reason);

} // namespace orbix::c1sim::edits
