#pragma once
// The composer's text field: plain text that grows from one to five lines and then scrolls. Return asks to
// submit, Shift+Return inserts a line break.

#include <QPlainTextEdit>

namespace orbix::views {

class PromptTextField : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaximumVisibleLines = 5;
    static constexpr int kVerticalPadding = 9;

    explicit PromptTextField(QWidget* parent = nullptr);

    // Lines the text occupies at the current width (wrapped lines count), at least one.
    int contentLineCount() const;
    // Lines shown without scrolling: the content's, capped at five.
    int visibleLineCount() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void submitRequested();
    // Esc: the field has no use for it, so it asks to stop the running work.
    void cancelRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitHeightToContent();
    int heightForLines(int lines) const;
};

} // namespace orbix::views
