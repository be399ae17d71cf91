#pragma once
// Shows a Markdown-like artifact body as a column of styled blocks (headings, bullets, numbered items,
// paragraphs, spacers). Body blocks are selectable; headings are not.
//
// A long body (more than kMostBlockLines lines or kCharactersPerPart characters) shows in one text view
// instead, where everything is selectable, and only part of it at a time: whole lines up to
// kCharactersPerPart characters, and as much again on each "Show More", so that no body, however long,
// holds up the window.

#include "views/MarkdownParser.h"

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace orbix::views {

class MarkdownTextView;

class MarkdownContentView : public QWidget {
    Q_OBJECT
public:
    static constexpr qsizetype kMostBlockLines = 200;
    static constexpr qsizetype kCharactersPerPart = 100'000;

    explicit MarkdownContentView(QWidget* parent = nullptr);

    QString markdown() const { return markdown_; }
    void setMarkdown(const QString& markdown);

    // The block widgets in order (for tests and accessibility checks); none when the text view shows
    // the body.
    QList<QWidget*> blocks() const { return blocks_; }
    // The text view of a long body, or null.
    MarkdownTextView* textView() const { return textView_; }
    // Shown while part of a long body is not.
    QPushButton* showMoreButton() const { return showMoreButton_; }
    // Adds the next part of a long body.
    void showMore();
    qsizetype shownLineCount() const { return shownLines_; }
    qsizetype lineCount() const { return lineCount_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* elementView(const MarkdownElement& element);
    QLabel* bodyLabel(const QString& html);
    QLabel* headingLabel(const QString& text);
    void rebuild();
    void updateMoreRow();

    QString markdown_;
    QVBoxLayout* layout_ = nullptr;
    QList<QWidget*> blocks_;
    QList<QLabel*> bulletMarkers_;

    MarkdownTextView* textView_ = nullptr;
    QWidget* moreRow_ = nullptr;
    QLabel* shownCaption_ = nullptr;
    QPushButton* showMoreButton_ = nullptr;
    qsizetype lineCount_ = 0;
    qsizetype shownLines_ = 0;
    qsizetype shownEnd_ = 0; // where the next part starts
    bool everythingShown_ = true;
};

} // namespace orbix::views
