#include "core/ComputerUseArguments.h"

namespace orbix {

ComputerUseResult withoutImportedPhotoTargets() {
    return {QStringLiteral("Select one or more imported photos in the artifact area first."),
            std::nullopt,
            {CommandStatus::Kind::refused, {}}};
}

} // namespace orbix
