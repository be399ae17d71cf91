#include "app/WindowScreenshot.h"

#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "views/ContentView.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImageWriter>
#include <QPixmap>
#include <QRegularExpression>
#include <QThreadPool>

namespace orbix {
namespace {

// Thumbnails decode on worker threads and arrive as queued events; wait for them, but never forever.
constexpr int kSettleMilliseconds = 10000;

void settle() {
    const QDeadlineTimer deadline(kSettleMilliseconds);
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    } while (!QThreadPool::globalInstance()->waitForDone(20) && !deadline.hasExpired());
    // Results posted by the last workers, then the layouts and paints they cause.
    for (int pass = 0; pass < 3; ++pass) {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
}

} // namespace

QSize parseWindowSize(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,5})\\s*[xX×]\\s*(\\d{1,5})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return QSize();
    }
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    return size.width() > 0 && size.height() > 0 ? size : QSize();
}

QString renderWindowScreenshot(AppModel& model, const WindowScreenshotOptions& options) {
    // An update notice found at start-up and the marks of the tray's photos belong in the picture.
    const QDeadlineTimer updateDeadline(kSettleMilliseconds);
    while ((model.isCheckingForProductUpdate() || model.isReadingImportedPhotoMarks()) &&
           !updateDeadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    // No outside requests reach a screenshot.
    AppIntentRouter router;
    views::ContentView window(model, router);
    // The window never shrinks below its minimum; a smaller size renders at the minimum.
    window.resize(options.size.expandedTo(window.minimumSize()));
    window.show();
    settle();
    const QPixmap image = window.grab();
    QImageWriter writer(options.file);
    if (!writer.write(image.toImage())) {
        return QStringLiteral("Could not write the screenshot to %1: %2")
            .arg(options.file, writer.errorString());
    }
    return QString();
}

} // namespace orbix
