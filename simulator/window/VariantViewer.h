#pragma once
// The viewer: a stand-in picture of the primary variant, drawn in its crop's proportions, with the
// adjustments that show at a glance (exposure, saturation, black and white, keystone), healed spots and,
// when before/after is on, the unadjusted original beside it.

#include "engine/Catalog.h"

#include <QWidget>
#include <optional>

namespace orbix::c1sim {

class VariantViewer : public QWidget {
    Q_OBJECT

public:
    explicit VariantViewer(QWidget* parent = nullptr);

    void showVariant(const Variant* variant, bool beforeAfter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Picture {
        QString name;
        double aspect = 1.5;
        double exposure = 0;
        double saturation = 0;
        double keystone = 0;
        bool blackAndWhite = false;
        qint64 spots = 0;
    };
    void paintPicture(class QPainter& painter, const QRectF& area, const Picture& picture, bool adjusted,
                      const QString& caption) const;

    std::optional<Picture> picture_;
    bool beforeAfter_ = false;
};

} // namespace orbix::c1sim
