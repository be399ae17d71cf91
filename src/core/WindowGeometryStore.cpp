#include "core/WindowGeometryStore.h"

#include "core/UserDefaults.h"

#include <QSettings>

namespace orbix {

namespace {

const QString groupName = QStringLiteral("windowGeometry");

std::unique_ptr<QSettings> openStore(const QString& storeFile) {
    return storeFile.isEmpty() ? userDefaults() : std::make_unique<QSettings>(storeFile, QSettings::IniFormat);
}

// QSettings reads '/' and '\' in a key as groups: a screen name must not make one.
QString keyFor(const QString& screenKey) {
    QString key = screenKey;
    key.replace(QLatin1Char('/'), QLatin1Char('_'));
    key.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return groupName + QLatin1Char('/') + key;
}

} // namespace

std::optional<QRect> WindowGeometryStore::geometry(const QString& screenKey) const {
    const QRect stored = openStore(storeFile_)->value(keyFor(screenKey)).toRect();
    if (!stored.isValid()) {
        return std::nullopt;
    }
    return stored;
}

void WindowGeometryStore::setGeometry(const QString& screenKey, const QRect& geometry) {
    auto store = openStore(storeFile_);
    store->setValue(keyFor(screenKey), geometry);
    store->sync();
}

} // namespace orbix
