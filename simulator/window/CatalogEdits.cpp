#include "window/CatalogEdits.h"

#include "engine/AdjustmentTable.h"
#include "engine/CatalogStore.h"

#include <QFileInfo>
#include <algorithm>

namespace orbix::c1sim::edits {
namespace {

const QString kKeystoneProperty = QStringLiteral("keystone vertical");
const QString kExportExtension = QStringLiteral(".jpg");

bool isSelected(const Document& document, const QString& id) {
    return std::find(document.selection.begin(), document.selection.end(), id) != document.selection.end();
}

} // namespace

void selectVariants(Document& document, const QStringList& ids, const QString& primary) {
    document.selection.clear();
    for (const QString& id : ids) {
        if (document.variant(id) && !isSelected(document, id)) {
            document.selection.push_back(id);
        }
    }
    if (document.selection.empty()) {
        document.primary.clear();
    } else {
        document.primary = isSelected(document, primary) ? primary : document.selection.front();
    }
}

int exportSelectedVariants(Document& document) {
    int exported = 0;
    for (const QString& id : document.selection) {
        const Variant* variant = document.variant(id);
        if (!variant) {
            continue;
        }
        document.exports.push_back({variant->id, variant->name, variant->name + kExportExtension});
        ++exported;
    }
    return exported;
}

void setBeforeAfter(Document& document, bool shown) {
    document.beforeAfter = shown;
}

bool setKeystone(Document& document, double amount) {
    Variant* primary = document.primary.isEmpty() ? nullptr : document.variant(document.primary);
    const auto index = adjustments::indexOf(kKeystoneProperty);
    if (!primary || !index || !(amount >= kKeystoneMinimum && amount <= kKeystoneMaximum)) {
        return false;
    }
    primary->adjustments[size_t(*index)] = QJsonValue(amount);
    return true;
}

bool removeSpot(Document& document) {
    Variant* primary = document.primary.isEmpty() ? nullptr : document.variant(document.primary);
    if (!primary) {
        return false;
    }
    ++primary->spotRemovals;
    return true;
}

int deleteSelectedVariants(Document& document) {
    if (document.selection.empty()) {
        return 0;
    }
    std::optional<size_t> lastDeleted;
    for (size_t i = 0; i < document.variants.size(); ++i) {
        if (isSelected(document, document.variants[i].id)) {
            lastDeleted = i;
        }
    }
    const size_t before = document.variants.size();
    // The variant that takes over the selection: the first one after the last deleted that survives.
    QString successor;
    if (lastDeleted) {
        for (size_t i = *lastDeleted + 1; i < document.variants.size() && successor.isEmpty(); ++i) {
            if (!isSelected(document, document.variants[i].id)) {
                successor = document.variants[i].id;
            }
        }
        for (size_t i = *lastDeleted; i-- > 0 && successor.isEmpty();) {
            if (!isSelected(document, document.variants[i].id)) {
                successor = document.variants[i].id;
            }
        }
    }
    std::erase_if(document.variants, [&](const Variant& variant) { return isSelected(document, variant.id); });
    const int deleted = int(before - document.variants.size());
    document.selection.clear();
    document.primary.clear();
    if (!successor.isEmpty()) {
        selectVariants(document, {successor}, successor);
    }
    return deleted;
}

std::optional<double> keystoneAmount(const QString& text) {
    QString normalized = text.trimmed();
    normalized.replace(QChar(0x2212), QLatin1Char('-')); // typographic minus
    normalized.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double amount = normalized.toDouble(&ok);
    if (!ok || !(amount >= kKeystoneMinimum && amount <= kKeystoneMaximum)) {
        return std::nullopt;
    }
    return amount;
}

std::optional<Catalog> readCatalog(const QString& path, QString* reason) {
    CatalogStore store(path);
    if (!store.lock(reason)) {
        return std::nullopt;
    }
    // The lock is released when the store goes out of scope.
    return store.load(reason);
}

bool editCatalog(const QString& path, const std::function<bool(Catalog&)>& edit, QString* reason) {
    CatalogStore store(path);
    if (!store.lock(reason)) {
        return false;
    }
    std::optional<Catalog> catalog = store.load(reason);
    if (!catalog) {
        return false;
    }
    if (!edit(*catalog)) {
        return true;
    }
    return store.save(*catalog, reason);
}

} // namespace orbix::c1sim::edits
