#pragma once
// The prompt bar under the microphone: an import button, the prompt field bound to the model's prompt
// text, a busy indicator while Orbix is working on a request, and the send button (also Ctrl+Return,
// Cmd+Return on macOS). Painted as a capsule; takes focus whenever the model asks for it.

#include <QWidget>

class QShortcut;

namespace orbix {
class AppModel;
}

namespace orbix::views {

class BusyIndicator;
class ComposerIcon;
class PromptTextField;

class PromptComposerView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHorizontalPadding = 8;
    static constexpr int kVerticalPadding = 6;

    explicit PromptComposerView(AppModel& model, QWidget* parent = nullptr);

    PromptTextField* textField() const { return field_; }
    ComposerIcon* importButton() const { return importButton_; }
    ComposerIcon* sendButton() const { return sendButton_; }
    BusyIndicator* busyIndicator() const { return busy_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showModelText();
    void focusField();

    AppModel& model_;
    ComposerIcon* importButton_ = nullptr;
    PromptTextField* field_ = nullptr;
    BusyIndicator* busy_ = nullptr;
    ComposerIcon* sendButton_ = nullptr;
    QShortcut* sendShortcut_ = nullptr;
};

} // namespace orbix::views
