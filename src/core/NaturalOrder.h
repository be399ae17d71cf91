#pragma once
// Finder-like ordering of names: case-insensitive, with numbers inside names compared by value
// ("IMG_2" before "IMG_10").

#include <QString>

namespace orbix::text {

// <0 when a goes first, 0 when equal, >0 when b goes first.
int finderCompare(const QString& a, const QString& b);

} // namespace orbix::text
