#pragma once
// The latest assistant reply, shown when no artifact is selected: a caption above the reply text.

#include "core/ConversationRecords.h"

#include <QWidget>

class QLabel;

namespace orbix::views {

class MessageArtifactView : public QWidget {
    Q_OBJECT
public:
    explicit MessageArtifactView(const ConversationMessage& message, QWidget* parent = nullptr);

    const ConversationMessage& message() const { return message_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    ConversationMessage message_;
    QLabel* caption_ = nullptr;
};

} // namespace orbix::views
