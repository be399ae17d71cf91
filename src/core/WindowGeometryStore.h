#pragma once
// Where the main window was last, one rectangle per screen, kept in the user defaults beside the
// preferences (or in an INI file of its own for tests). A screen is known by its name and size, so a
// laptop's panel and an external monitor each get the window back where it was on them.

#include <QRect>
#include <QString>
#include <optional>

namespace orbix {

class WindowGeometryStore {
public:
    // Over the user defaults.
    WindowGeometryStore() = default;
    // Over an INI file of its own; created on the first write.
    explicit WindowGeometryStore(QString storeFile) : storeFile_(std::move(storeFile)) {}

    std::optional<QRect> geometry(const QString& screenKey) const;
    void setGeometry(const QString& screenKey, const QRect& geometry);

private:
    QString storeFile_;
};

} // namespace orbix
