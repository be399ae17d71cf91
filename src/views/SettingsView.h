#pragma once
// The settings window: the four stored preferences (each control writes through at once) and a small
// Capture One connection check whose answer shows in a result line under its buttons.

#include <QWidget>

class QCheckBox;
class QSpinBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace orbix {
class CaptureOneService;
class MacComputerUseService;
class Settings;
} // namespace orbix

namespace orbix::views {

class BusyIndicator;

class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFormWidth = 440;
    static constexpr int kPadding = 20;

    // Shown in the result line until a check has answered.
    static const QString connectionHint;

    SettingsView(Settings& settings, CaptureOneService& captureOne, MacComputerUseService& dispatcher,
                 QWidget* parent = nullptr);

    QString connectionResult() const { return connectionResult_; }
    bool isBusy() const { return busy_; }

    // Lists the installed Capture One versions again and selects the stored one, if it is still there.
    void reloadVersions();

    void testConnection();
    void openCaptureOne();

    QCheckBox* quietModeToggle() const { return quietMode_; }
    QCheckBox* readAloudToggle() const { return readAloud_; }
    QCheckBox* computerControlToggle() const { return computerControl_; }
    QSpinBox* batchThresholdField() const { return batchThreshold_; }
    QComboBox* versionPicker() const { return versionPicker_; }
    QPushButton* testButton() const { return testButton_; }
    QPushButton* openButton() const { return openButton_; }
    QLabel* resultLabel() const { return resultLabel_; }

signals:
    void connectionResultChanged(const QString& result);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildForm();
    void setBusy(bool busy);
    void finishCheck(const QString& result);
    void selectStoredVersion();
    void applyCaptionColours();

    Settings& settings_;
    CaptureOneService& captureOne_;
    MacComputerUseService& dispatcher_;
    QString connectionResult_;
    bool busy_ = false;

    QCheckBox* quietMode_ = nullptr;
    QCheckBox* readAloud_ = nullptr;
    QCheckBox* computerControl_ = nullptr;
    QSpinBox* batchThreshold_ = nullptr;
    QComboBox* versionPicker_ = nullptr;
    QPushButton* testButton_ = nullptr;
    QPushButton* openButton_ = nullptr;
    BusyIndicator* busyIndicator_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QList<QLabel*> captions_;
};

} // namespace orbix::views
