#include "core/ChangeRecord.h"

#include <algorithm>

namespace orbix {

QStringList ChangeRecord::propertyNames() const {
    QStringList names;
    for (const VariantChange& variant : variants) {
        for (const PropertyChange& change : variant.properties) {
            if (!names.contains(change.property.name)) {
                names << change.property.name;
            }
        }
    }
    return names;
}

void ChangeRecord::merge(const ChangeRecord& later) {
    undoable = undoable && later.undoable;
    for (const VariantChange& laterVariant : later.variants) {
        auto variant = std::find_if(variants.begin(), variants.end(),
                                    [&](const VariantChange& own) { return own.id == laterVariant.id; });
        if (variant == variants.end()) {
            variants.append(laterVariant);
            continue;
        }
        for (const PropertyChange& laterChange : laterVariant.properties) {
            auto change =
                std::find_if(variant->properties.begin(), variant->properties.end(),
                             [&](const PropertyChange& own) { return own.property == laterChange.property; });
            if (change == variant->properties.end()) {
                variant->properties.append(laterChange);
            } else {
                change->after = laterChange.after;
            }
        }
        variant->properties.removeIf([](const PropertyChange& change) { return !change.changed(); });
    }
    variants.removeIf([](const VariantChange& variant) { return variant.properties.isEmpty(); });
}

} // namespace orbix
