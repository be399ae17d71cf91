#pragma once
// A long artifact body in one read-only, selectable text view that grows to the height of its text (the
// inspector scrolls, not the view). It carries the block view's styles (heading sizes, bullets with a
// secondary marker, indented numbered items, paragraph line spacing, spacers) in one document laid out
// at once, where the block view would make one widget per line. The document is built with a text
// cursor from parsed elements, never from HTML, so nothing in a body is taken as markup and no resource
// is ever loaded.

#include "views/MarkdownParser.h"

#include <QList>
#include <QTextEdit>

namespace orbix::views {

class MarkdownTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit MarkdownTextView(QWidget* parent = nullptr);

    // Adds the elements after those already shown.
    void appendElements(const QList<MarkdownElement>& elements);
    // The number of elements shown.
    qsizetype elementCount() const { return elements_.size(); }

protected:
    void changeEvent(QEvent* event) override;
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void render(const QList<MarkdownElement>& elements);
    void fitHeightToDocument();

    QList<MarkdownElement> elements_;
    // Space owed to the next block by the spacers before it.
    int pendingSpace_ = 0;
};

} // namespace orbix::views
