#pragma once
// The information dictionary of this build: the key/value table CMake writes at configure time (build
// flavour, product identifier, key-setting name, back-end URL, version). Values are strings; an empty
// value counts as absent for the reader.

#include <QVariantMap>

namespace orbix {

QVariantMap buildInformationDictionary();

} // namespace orbix
