#include "core/NaturalOrder.h"

#include <QCollator>
#include <QLocale>

namespace orbix::text {

int finderCompare(const QString& a, const QString& b) {
    // Numeric mode is silently ignored in the C locale that services and CI run in: the locale is explicit.
    thread_local const QCollator collator = [] {
        QCollator c{QLocale(QLocale::English, QLocale::UnitedStates)};
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

} // namespace orbix::text
