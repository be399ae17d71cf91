#include "views/SettingsView.h"

#include "captureone/CaptureOneApplicationResolver.h"
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "core/Settings.h"
#include "views/BusyIndicator.h"
#include "views/InspectorStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

#if defined(Q_OS_MACOS)
const QString permissionsCaption = QStringLiteral(
    "Direct Capture One commands use macOS Automation. Allow Computer Control additionally enables Capture "
    "One-only UI fallback and requires Accessibility permission.");
// Every toggle does what it says on macOS.
const QString conversationCaption;
#else
// What the settings really do on Linux: there is no Automation permission, the scripts go to the bundled
// simulator, and the UI fallback reads the window through AT-SPI.
const QString permissionsCaption = QStringLiteral(
    "Direct Capture One commands run as AppleScript in the bundled Capture One Simulator; no permission is "
    "needed. Allow Computer Control additionally enables the Capture One-only UI fallback, which reads "
    "Capture One’s window through AT\u2011SPI accessibility and clicks and types through XTest.");
// The two conversation toggles are stored but nothing reads them: say so rather than let them pretend.
const QString conversationCaption =
    QStringLiteral("Not used on Linux yet: Orbix always starts in Quiet Mode and reads results aloud only in "
                   "voice mode.");
#endif
const QString versionCaption = QStringLiteral(
    "Automatic follows the newest installed stable version. An explicit command such as \u201COpen Capture "
    "One 21\u201D pins that version; say \u201COpen latest Capture One\u201D to return to Automatic.");
const QString automaticChoice = QStringLiteral("Latest installed (Automatic)");
const QString openCommand = QStringLiteral("open Capture One");
const QString batchCaption =
    QStringLiteral("A request for the imported photos that would change more of them first shows what it "
                   "will do and waits for Apply.");

constexpr int kSectionSpacing = 14;
constexpr int kButtonRowSpacing = 8;
constexpr int kResultSpacing = 4;

QGroupBox* section(const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    applyTextStyle(box, TextStyle::Body, QFont::DemiBold);
    return box;
}

} // namespace

const QString SettingsView::connectionHint =
    QStringLiteral("Open a Capture One catalog or session, select a variant, then test the connection.");

SettingsView::SettingsView(Settings& settings, CaptureOneService& captureOne, MacComputerUseService& dispatcher,
                           QWidget* parent)
    : QWidget(parent), settings_(settings), captureOne_(captureOne), dispatcher_(dispatcher) {
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Orbix Settings"));
    buildForm();
    // A window of its own, so it closes the way windows close: Esc or Ctrl+W (Cmd+W on macOS).
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
    reloadVersions();
}

void SettingsView::buildForm() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSectionSpacing);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto caption = [this](const QString& text, QWidget* parent) {
        auto* label = new QLabel(text, parent);
        // Results quote names and error texts from elsewhere: shown as they are, never read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        applyTextStyle(label, TextStyle::Caption);
        // The label's font is the caption's; its children (none) and the group keep the body font.
        captions_ << label;
        return label;
    };
    // Every child widget keeps the body font even though its group's title is bold.
    auto bodyFont = [](QWidget* widget) { applyTextStyle(widget, TextStyle::Body); };

    QGroupBox* conversation = section(QStringLiteral("Conversation"), this);
    auto* conversationLayout = new QVBoxLayout(conversation);
    quietMode_ = new QCheckBox(QStringLiteral("Start in Quiet Mode"), conversation);
    readAloud_ = new QCheckBox(QStringLiteral("Read Responses Aloud"), conversation);
    bodyFont(quietMode_);
    bodyFont(readAloud_);
    conversationLayout->addWidget(quietMode_);
    conversationLayout->addWidget(readAloud_);
    if (!conversationCaption.isEmpty()) {
        quietMode_->setEnabled(false);
        readAloud_->setEnabled(false);
        quietMode_->setToolTip(conversationCaption);
        readAloud_->setToolTip(conversationCaption);
        conversationLayout->addWidget(caption(conversationCaption, conversation));
    }
    layout->addWidget(conversation);

    QGroupBox* permissions = section(QStringLiteral("Permissions"), this);
    auto* permissionsLayout = new QVBoxLayout(permissions);
    computerControl_ = new QCheckBox(QStringLiteral("Allow Computer Control"), permissions);
    bodyFont(computerControl_);
    permissionsLayout->addWidget(computerControl_);
    permissionsLayout->addWidget(caption(permissionsCaption, permissions));
    auto* batchRow = new QFormLayout;
    // A count of photos needs no more room than its longest value.
    batchRow->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    batchThreshold_ = new QSpinBox(permissions);
    batchThreshold_->setObjectName(QStringLiteral("batchThreshold"));
    batchThreshold_->setRange(0, Settings::maximumBatchConfirmationThreshold);
    batchThreshold_->setSuffix(QStringLiteral(" photos"));
    // The lowest value, 0, turns the question off.
    batchThreshold_->setSpecialValueText(QStringLiteral("Never ask"));
    bodyFont(batchThreshold_);
    auto* batchLabel = new QLabel(QStringLiteral("Ask before changing more than"), permissions);
    bodyFont(batchLabel);
    batchRow->addRow(batchLabel, batchThreshold_);
    permissionsLayout->addSpacing(kButtonRowSpacing);
    permissionsLayout->addLayout(batchRow);
    permissionsLayout->addWidget(caption(batchCaption, permissions));
    layout->addWidget(permissions);

    QGroupBox* integration = section(QStringLiteral("Capture One Integration"), this);
    auto* integrationLayout = new QVBoxLayout(integration);
    auto* pickerRow = new QFormLayout;
    pickerRow->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    versionPicker_ = new QComboBox(integration);
    versionPicker_->setObjectName(QStringLiteral("versionPicker"));
    versionPicker_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    bodyFont(versionPicker_);
    auto* pickerLabel = new QLabel(QStringLiteral("Capture One Version"), integration);
    bodyFont(pickerLabel);
    pickerRow->addRow(pickerLabel, versionPicker_);
    integrationLayout->addLayout(pickerRow);
    integrationLayout->addWidget(caption(versionCaption, integration));

    auto* buttons = new QHBoxLayout;
    testButton_ = new QPushButton(QStringLiteral("Test Capture One Connection"), integration);
    openButton_ = new QPushButton(QStringLiteral("Open Capture One"), integration);
    bodyFont(testButton_);
    bodyFont(openButton_);
    busyIndicator_ = new BusyIndicator(integration);
    busyIndicator_->setVisible(false);
    buttons->addWidget(testButton_);
    buttons->addWidget(openButton_);
    buttons->addWidget(busyIndicator_);
    buttons->addStretch(1);
    // Air between the explanation, the buttons and their answer, so each reads as its own line.
    integrationLayout->addSpacing(kButtonRowSpacing);
    integrationLayout->addLayout(buttons);
    integrationLayout->addSpacing(kResultSpacing);
    resultLabel_ = caption(connectionHint, integration);
    resultLabel_->setObjectName(QStringLiteral("connectionResult"));
    resultLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    integrationLayout->addWidget(resultLabel_);
    layout->addWidget(integration);

    // The form keeps its width; each caption wraps inside it.
    for (QGroupBox* box : {conversation, permissions, integration}) {
        box->setFixedWidth(kFormWidth);
    }
    applyCaptionColours();

    quietMode_->setChecked(settings_.startInQuietMode());
    readAloud_->setChecked(settings_.readResponsesAloud());
    computerControl_->setChecked(settings_.allowComputerControl());
    batchThreshold_->setValue(settings_.batchConfirmationThreshold());
    connect(batchThreshold_, &QSpinBox::valueChanged, &settings_, &Settings::setBatchConfirmationThreshold);
    connect(&settings_, &Settings::batchConfirmationThresholdChanged, batchThreshold_, &QSpinBox::setValue);
    connect(quietMode_, &QCheckBox::toggled, &settings_, &Settings::setStartInQuietMode);
    connect(readAloud_, &QCheckBox::toggled, &settings_, &Settings::setReadResponsesAloud);
    connect(computerControl_, &QCheckBox::toggled, &settings_, &Settings::setAllowComputerControl);
    // Changes from elsewhere (another window, an open-Capture-One command) show here too.
    connect(&settings_, &Settings::startInQuietModeChanged, quietMode_, &QCheckBox::setChecked);
    connect(&settings_, &Settings::readResponsesAloudChanged, readAloud_, &QCheckBox::setChecked);
    connect(&settings_, &Settings::allowComputerControlChanged, computerControl_, &QCheckBox::setChecked);
    connect(&settings_, &Settings::preferredCaptureOnePathChanged, this, &SettingsView::selectStoredVersion);
    // Only a choice the user makes is stored; filling or re-selecting the list stores nothing.
    connect(versionPicker_, &QComboBox::activated, this, [this](int index) {
        settings_.setPreferredCaptureOnePath(versionPicker_->itemData(index).toString());
    });
    connect(testButton_, &QPushButton::clicked, this, &SettingsView::testConnection);
    connect(openButton_, &QPushButton::clicked, this, &SettingsView::openCaptureOne);
}

void SettingsView::reloadVersions() {
    versionPicker_->clear();
    versionPicker_->addItem(automaticChoice, QString());
    for (const CaptureOneApplication& application : captureOne_.resolver().installedApplications()) {
        versionPicker_->addItem(application.settingsLabel(), application.id());
        versionPicker_->setItemData(versionPicker_->count() - 1, application.id(), Qt::ToolTipRole);
    }
    selectStoredVersion();
}

void SettingsView::selectStoredVersion() {
    // A stored path that matches no installed version selects nothing (-1): the services then choose
    // automatically, and the picker does not pretend otherwise.
    versionPicker_->setCurrentIndex(versionPicker_->findData(settings_.preferredCaptureOnePath()));
}

void SettingsView::testConnection() {
    if (busy_) {
        return;
    }
    setBusy(true);
    QPointer<SettingsView> self(this);
    captureOne_.getStatus([self](const CommandOutcome& outcome) {
        if (self) {
            self->finishCheck(outcome.text);
        }
    });
}

void SettingsView::openCaptureOne() {
    if (busy_) {
        return;
    }
    setBusy(true);
    QPointer<SettingsView> self(this);
    dispatcher_.execute(openCommand, [self](const ComputerUseResult& result) {
        if (self) {
            self->finishCheck(result.summary);
        }
    });
}

void SettingsView::finishCheck(const QString& result) {
    connectionResult_ = result;
    resultLabel_->setText(result.isEmpty() ? connectionHint : result);
    setBusy(false);
    emit connectionResultChanged(result);
}

void SettingsView::setBusy(bool busy) {
    busy_ = busy;
    testButton_->setEnabled(!busy);
    openButton_->setEnabled(!busy);
    busyIndicator_->setVisible(busy);
}

void SettingsView::applyCaptionColours() {
    for (QLabel* label : std::as_const(captions_)) {
        applyForeground(label, NamedColor::Secondary);
    }
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Versions installed or removed while the window was closed show up when it opens again.
    reloadVersions();
}

void SettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        applyCaptionColours();
    }
}

} // namespace orbix::views
