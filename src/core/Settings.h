#pragma once
// The four stored preferences behind typed properties: the only door to the user defaults for the rest
// of the application. The Capture One resolver and dispatcher read and write through one shared
// instance, so a change made anywhere (the open-Capture-One action pins a version) signals everywhere.
// Every value is read from the store on each call, so a change another process makes is seen too.
// Main thread only.

#include <QObject>
#include <QString>
#include <memory>

class QSettings;

namespace orbix {

namespace settingsKeys {
inline constexpr const char* startInQuietMode = "startInQuietMode";
inline constexpr const char* readResponsesAloud = "readResponsesAloud";
inline constexpr const char* allowComputerControl = "allowComputerControl";
inline constexpr const char* preferredCaptureOnePath = "preferredCaptureOneApplicationPath";
inline constexpr const char* batchConfirmationThreshold = "batchConfirmationThreshold";
} // namespace settingsKeys

class Settings : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        bool startInQuietMode READ startInQuietMode WRITE setStartInQuietMode NOTIFY startInQuietModeChanged)
    Q_PROPERTY(bool readResponsesAloud READ readResponsesAloud WRITE setReadResponsesAloud NOTIFY
                   readResponsesAloudChanged)
    Q_PROPERTY(bool allowComputerControl READ allowComputerControl WRITE setAllowComputerControl NOTIFY
                   allowComputerControlChanged)
    Q_PROPERTY(QString preferredCaptureOnePath READ preferredCaptureOnePath WRITE setPreferredCaptureOnePath
                   NOTIFY preferredCaptureOnePathChanged)
    Q_PROPERTY(int batchConfirmationThreshold READ batchConfirmationThreshold WRITE
                   setBatchConfirmationThreshold NOTIFY batchConfirmationThresholdChanged)

public:
    static constexpr bool kDefaultStartInQuietMode = true;
    static constexpr bool kDefaultReadResponsesAloud = false;
    static constexpr bool kDefaultAllowComputerControl = false;
    static constexpr int defaultBatchConfirmationThreshold = 50;
    static constexpr int maximumBatchConfirmationThreshold = 100000;

    // Over the user defaults.
    explicit Settings(QObject* parent = nullptr);
    // Over an INI file of its own (a private store for tests and tools); created on the first write.
    explicit Settings(const QString& storeFile, QObject* parent = nullptr);

    bool startInQuietMode() const;
    bool readResponsesAloud() const;
    bool allowComputerControl() const;
    // Empty means "the newest installed stable version".
    QString preferredCaptureOnePath() const;
    // A batch of the photo tray on more photos than this waits for "apply"; 0 never asks. A stored value
    // that is no whole number in 0…maximum reads as the default.
    int batchConfirmationThreshold() const;

    // Each setter writes through to the user defaults at once and signals only on a real change.
    void setStartInQuietMode(bool on);
    void setReadResponsesAloud(bool on);
    void setAllowComputerControl(bool on);
    void setPreferredCaptureOnePath(const QString& path);
    // Clamped to 0…maximum.
    void setBatchConfirmationThreshold(int photos);

signals:
    void startInQuietModeChanged(bool on);
    void readResponsesAloudChanged(bool on);
    void allowComputerControlChanged(bool on);
    void preferredCaptureOnePathChanged(const QString& path);
    void batchConfirmationThresholdChanged(int photos);

private:
    std::unique_ptr<QSettings> openStore() const;
    bool readBool(const char* key, bool fallback) const;
    // True when the stored value changed.
    bool write(const char* key, const QVariant& value, const QVariant& current);

    // Empty: the user defaults.
    QString storeFile_;
};

} // namespace orbix
