#pragma once
// Renders the main window offscreen into an image file: what `orbix --screenshot` produces after the
// command line has answered its prompts.

#include <QSize>
#include <QString>

namespace orbix {

class AppModel;

struct WindowScreenshotOptions {
    QString file;
    QSize size{1120, 720};
};

// Shows the window at the size, lets it settle (thumbnails included) and saves it. Returns an error
// sentence, or an empty text on success. Needs a QApplication.
QString renderWindowScreenshot(AppModel& model, const WindowScreenshotOptions& options);

// Parses "WxH" (for example "1440x900"); an invalid size when the text is not two positive numbers.
QSize parseWindowSize(const QString& text);

} // namespace orbix
