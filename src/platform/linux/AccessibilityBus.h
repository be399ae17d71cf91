#pragma once
// Finding and probing the AT-SPI accessibility bus the way libatspi looks for it (AT_SPI_BUS_ADDRESS, the
// X root window's AT_SPI_BUS property, then org.a11y.Bus on the session bus), without libatspi's habit of
// ending the process when there is none.

#include <QByteArray>
#include <optional>

namespace orbix::a11ybus {

std::optional<QByteArray> address();
// Whether a connection to the address can be opened and registered.
bool isReachable(const QByteArray& address);

} // namespace orbix::a11ybus
