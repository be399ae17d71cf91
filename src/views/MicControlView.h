#pragma once
// The large round microphone button of the workspace: a disc, a ring in the colour of the voice state and
// the microphone symbol. Its diameter follows the width it is given. Clicking inside the circle starts or
// stops computer-use voice through the model.

#include "core/RealtimeVoiceState.h"

#include <QAbstractButton>

namespace orbix {
class AppModel;
}

namespace orbix::views {

class MicControlView : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kMinimumDiameter = 220;
    static constexpr qreal kMaximumDiameter = 310;

    explicit MicControlView(AppModel& model, QWidget* parent = nullptr);

    // 0.52 × the available width, clamped to the minimum and maximum diameters.
    static qreal diameterForWidth(qreal availableWidth);
    static QString toolTipFor(RealtimeVoiceState state);

    qreal diameter() const { return diameterForWidth(width()); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void updateForState();
    QRectF circleRect() const;

    AppModel& model_;
    bool hovered_ = false;
    bool showsFocusRing_ = false;
};

} // namespace orbix::views
