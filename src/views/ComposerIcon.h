#pragma once
// A round icon button of the prompt composer: a symbol in the primary colour on a 38 × 38 control-coloured
// circle with a hairline border. Tints under the pointer and darkens while pressed.

#include <QAbstractButton>

namespace orbix::views {

class ComposerIcon : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kDiameter = 38;

    // The tooltip doubles as the accessible name.
    ComposerIcon(const QString& systemName, const QString& toolTip, QWidget* parent = nullptr);

    QString systemName() const { return systemName_; }
    QSize sizeHint() const override { return QSize(kDiameter, kDiameter); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QString systemName_;
};

} // namespace orbix::views
