#include "core/ChangeRecord.h"

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

} // namespace orbix
