#pragma once
// Shows a Markdown-like artifact body as a column of styled blocks (headings, bullets, numbered items,
// paragraphs, spacers). Body blocks are selectable; headings are not.

#include "views/MarkdownParser.h"

#include <QList>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace orbix::views {

class MarkdownContentView : public QWidget {
    Q_OBJECT
public:
    explicit MarkdownContentView(QWidget* parent = nullptr);

    QString markdown() const { return markdown_; }
    void setMarkdown(const QString& markdown);

    // The block widgets in order (for tests and accessibility checks).
    QList<QWidget*> blocks() const { return blocks_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* elementView(const MarkdownElement& element);
    QLabel* bodyLabel(const QString& html);
    QLabel* headingLabel(const QString& text);
    void rebuild();

    QString markdown_;
    QVBoxLayout* layout_ = nullptr;
    QList<QWidget*> blocks_;
    QList<QLabel*> bulletMarkers_;
};

} // namespace orbix::views
