#pragma once
// Number words in a recognised transcript become the digits the command parser reads: "set rating to
// three" → "set rating to 3", "exposure minus zero point five" → "exposure -0.5", "fifty five hundred" →
// "5500". "one" in "capture one" is part of the product's name and stays a word.

#include <QString>

namespace orbix {

QString withSpokenNumbersAsDigits(const QString& transcript);

} // namespace orbix
