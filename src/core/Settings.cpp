#include "core/Settings.h"

#include "core/UserDefaults.h"

#include <algorithm>

namespace orbix {

Settings::Settings(QObject* parent) : QObject(parent) {}

Settings::Settings(const QString& storeFile, QObject* parent) : QObject(parent), storeFile_(storeFile) {}

std::unique_ptr<QSettings> Settings::openStore() const {
    if (storeFile_.isEmpty()) {
        return userDefaults();
    }
    return std::make_unique<QSettings>(storeFile_, QSettings::IniFormat);
}

bool Settings::readBool(const char* key, bool fallback) const {
    return openStore()->value(QLatin1String(key), fallback).toBool();
}

bool Settings::startInQuietMode() const {
    return readBool(settingsKeys::startInQuietMode, kDefaultStartInQuietMode);
}

bool Settings::readResponsesAloud() const {
    return readBool(settingsKeys::readResponsesAloud, kDefaultReadResponsesAloud);
}

bool Settings::allowComputerControl() const {
    return readBool(settingsKeys::allowComputerControl, kDefaultAllowComputerControl);
}

QString Settings::preferredCaptureOnePath() const {
    return openStore()->value(QLatin1String(settingsKeys::preferredCaptureOnePath)).toString();
}

int Settings::batchConfirmationThreshold() const {
    bool isNumber = false;
    const int photos =
        openStore()->value(QLatin1String(settingsKeys::batchConfirmationThreshold)).toString().toInt(&isNumber);
    if (!isNumber || photos < 0 || photos > maximumBatchConfirmationThreshold) {
        return defaultBatchConfirmationThreshold;
    }
    return photos;
}

bool Settings::write(const char* key, const QVariant& value, const QVariant& current) {
    if (value == current) {
        return false;
    }
    auto store = openStore();
    store->setValue(QLatin1String(key), value);
    // Written to disk now, so another process (or a crash) never sees an older value.
    store->sync();
    return true;
}

void Settings::setStartInQuietMode(bool on) {
    if (write(settingsKeys::startInQuietMode, on, startInQuietMode())) {
        emit startInQuietModeChanged(on);
    }
}

void Settings::setReadResponsesAloud(bool on) {
    if (write(settingsKeys::readResponsesAloud, on, readResponsesAloud())) {
        emit readResponsesAloudChanged(on);
    }
}

void Settings::setAllowComputerControl(bool on) {
    if (write(settingsKeys::allowComputerControl, on, allowComputerControl())) {
        emit allowComputerControlChanged(on);
    }
}

void Settings::setBatchConfirmationThreshold(int photos) {
    const int bounded = std::clamp(photos, 0, maximumBatchConfirmationThreshold);
    if (write(settingsKeys::batchConfirmationThreshold, bounded, batchConfirmationThreshold())) {
        emit batchConfirmationThresholdChanged(bounded);
    }
}

void Settings::setPreferredCaptureOnePath(const QString& path) {
    if (write(settingsKeys::preferredCaptureOnePath, path, preferredCaptureOnePath())) {
        emit preferredCaptureOnePathChanged(path);
    }
}

} // namespace orbix
