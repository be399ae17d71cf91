// A small Qt Widgets window for the accessibility end-to-end test. It reports on standard output, one line
// each: "window <X window id>" once shown, "clicked <name>" for the button and the label, "text <text>" when
// the field changes, "focus <name>" when the field gains focus, "shortcut" for Ctrl+Shift+K.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

namespace {

void report(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A label that reacts to the mouse only: it offers no accessible action, so it can be clicked only
// through a synthetic pointer event.
class ClickableLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void mousePressEvent(QMouseEvent*) override { report(QStringLiteral("clicked ") + text()); }
};

class ReportingLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        report(QStringLiteral("focus ") + accessibleName());
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QAccessible::setActive(true);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Accessible Test Window"));
    auto* layout = new QVBoxLayout(&window);

    auto* button = new QPushButton(QStringLiteral("Auto Adjust"));
    QObject::connect(button, &QPushButton::clicked, [] { report(QStringLiteral("clicked Auto Adjust")); });
    layout->addWidget(button);

    auto* label = new ClickableLabel(QStringLiteral("Exposure Readout"));
    label->setMinimumHeight(40);
    layout->addWidget(label);

    auto* field = new ReportingLineEdit;
    field->setAccessibleName(QStringLiteral("Search"));
    field->setPlaceholderText(QStringLiteral("Find styles"));
    QObject::connect(field, &QLineEdit::textChanged,
                     [](const QString& text) { report(QStringLiteral("text ") + text); });
    layout->addWidget(field);

    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+K")), &window);
    QObject::connect(shortcut, &QShortcut::activated, [] { report(QStringLiteral("shortcut")); });

    window.move(0, 0);
    window.resize(320, 200);
    window.show();
    window.activateWindow();
    QTimer::singleShot(0, &window, [&window] { report(QStringLiteral("window %1").arg(window.winId())); });
    return app.exec();
}
