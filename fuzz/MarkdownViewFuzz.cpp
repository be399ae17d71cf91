// Untrusted input: an artifact body written by the text model, rendered into the real body view
// offscreen, short bodies as blocks and long ones (the input repeated past the block limit) as one text
// view with "Show More". Nothing in a body may become an image, a link or a table, and the view must
// account for every line.
#include "views/MarkdownContentView.h"
#include "views/MarkdownTextView.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Traps when the document holds anything but styled text.
void checkTextOnly(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isImageFormat() || format.isAnchor() || format.isTableCellFormat()) {
                __builtin_trap();
            }
        }
    }
    if (document.rootFrame()->childFrames().size() > 0) {
        __builtin_trap(); // a table or a frame
    }
}

void render(orbix::views::MarkdownContentView& view, const QString& body) {
    view.setMarkdown(body);
    while (view.showMoreButton()->isVisibleTo(&view)) {
        view.showMore();
    }
    if (view.shownLineCount() != view.lineCount() ||
        view.lineCount() != orbix::views::markdownLineCount(body)) {
        __builtin_trap();
    }
    if (const orbix::views::MarkdownTextView* text = view.textView()) {
        checkTextOnly(*text->document());
        if (text->elementCount() < view.lineCount()) {
            __builtin_trap();
        }
    }
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->textFormat() == Qt::RichText) {
            QTextDocument document;
            document.setHtml(label->text());
            checkTextOnly(document);
        }
    }
    view.grab(QRect(0, 0, 400, 300));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString body = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static orbix::views::MarkdownContentView* view = [] {
        auto* created = new orbix::views::MarkdownContentView;
        created->resize(400, 300);
        return created;
    }();
    render(*view, body);
    // The body repeated past the limit of lines or characters goes to the text view, a part at a time.
    using orbix::views::MarkdownContentView;
    const qsizetype lines = orbix::views::markdownLineCount(body);
    const qsizetype copies = std::min(MarkdownContentView::kMostBlockLines / lines + 1,
                                      MarkdownContentView::kCharactersPerPart / (body.size() + 1) + 1);
    QString longBody;
    for (qsizetype copy = 0; copy < copies; ++copy) {
        longBody += body + QLatin1Char('\n');
    }
    render(*view, longBody);
    // What an event loop would do between two bodies: layout requests, and widgets deleted later.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
