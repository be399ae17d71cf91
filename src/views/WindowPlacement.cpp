#include "views/WindowPlacement.h"

#include <QtGlobal>

namespace orbix::views::windowplacement {

QRect contentArea(const QRect& available) {
    return available.marginsRemoved(frameAllowance);
}

QRect placement(const QRect& available, const QSize& defaultSize, const std::optional<QRect>& saved) {
    const QRect area = contentArea(available);
    const QSize size = (saved ? saved->size() : defaultSize).boundedTo(area.size());
    if (!saved) {
        QRect centred(QPoint(), size);
        centred.moveCenter(area.center());
        return centred;
    }
    const int left = qBound(area.left(), saved->left(), area.right() - size.width() + 1);
    const int top = qBound(area.top(), saved->top(), area.bottom() - size.height() + 1);
    return QRect(QPoint(left, top), size);
}

} // namespace orbix::views::windowplacement
