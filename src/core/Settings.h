#pragma once
// The four stored preferences behind typed properties. Every value lives in the user defaults under the
// keys below, which the Capture One services read directly, so a change made here reaches them at once
// and a change they make (the open-Capture-One action pins a version) is seen here on the next read.
// Main thread only.

#include <QObject>
#include <QString>

namespace orbix {

namespace settingsKeys {
inline constexpr const char* startInQuietMode = "startInQuietMode";
inline constexpr const char* readResponsesAloud = "readResponsesAloud";
inline constexpr const char* allowComputerControl = "allowComputerControl";
inline constexpr const char* preferredCaptureOnePath = "preferredCaptureOneApplicationPath";
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

public:
    static constexpr bool kDefaultStartInQuietMode = true;
    static constexpr bool kDefaultReadResponsesAloud = false;
    static constexpr bool kDefaultAllowComputerControl = false;

    explicit Settings(QObject* parent = nullptr);

    bool startInQuietMode() const;
    bool readResponsesAloud() const;
    bool allowComputerControl() const;
    // Empty means "the newest installed stable version".
    QString preferredCaptureOnePath() const;

    // Each setter writes through to the user defaults at once and signals only on a real change.
    void setStartInQuietMode(bool on);
    void setReadResponsesAloud(bool on);
    void setAllowComputerControl(bool on);
    void setPreferredCaptureOnePath(const QString& path);

signals:
    void startInQuietModeChanged(bool on);
    void readResponsesAloudChanged(bool on);
    void allowComputerControlChanged(bool on);
    void preferredCaptureOnePathChanged(const QString& path);

private:
    bool readBool(const char* key, bool fallback) const;
    // True when the stored value changed.
    bool write(const char* key, const QVariant& value, const QVariant& current);
};

} // namespace orbix
