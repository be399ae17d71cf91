#include "window/VariantDetailsPanel.h"

#include "engine/AdjustmentTable.h"
#include "window/VariantBrowserModel.h"

#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace orbix::c1sim {
namespace {

// Shown for every primary variant, changed or not; any other adjustment appears once it differs from
// its default.
const char* const kHeadlineAdjustments[] = {"exposure",    "contrast", "brightness",       "saturation",
                                            "temperature", "tint",     "keystone vertical"};

const QString kNoVariant = QStringLiteral("No variant selected");
const QString kNoDocument = QStringLiteral("No document is open");
const QString kEmptyQueue = QStringLiteral("The processing queue is empty");
const QString kNoExports = QStringLiteral("Nothing exported yet");

QString valueText(const QJsonValue& value) {
    if (value.isBool()) {
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        return number == std::trunc(number) && std::abs(number) < 1e15 ? QString::number(qint64(number))
                                                                       : QString::number(number, 'g', 6);
    }
    return value.toString();
}

QString capitalized(const QString& name) {
    return name.isEmpty() ? name : name.left(1).toUpper() + name.mid(1);
}

QGroupBox* section(const QString& title, QWidget* content) {
    auto* box = new QGroupBox(title);
    box->setAccessibleName(title);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(content);
    return box;
}

QListWidget* listWidget(const QString& name) {
    auto* list = new QListWidget;
    list->setAccessibleName(name);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    return list;
}

// Sizes a list to its rows (within bounds), so the inspector's sections stay compact and readable.
void fitRows(QAbstractItemView* view, int rows, int minimumRows, int maximumRows, int extra = 0) {
    const int measured = rows > 0 ? view->sizeHintForRow(0) : -1;
    const int rowHeight = measured > 0 ? measured : view->fontMetrics().height() + 4;
    const int shown = std::clamp(rows, minimumRows, maximumRows);
    view->setFixedHeight(shown * rowHeight + 2 * view->frameWidth() + extra + 2);
}

void fillList(QListWidget* list, const QStringList& lines, const QString& emptyText) {
    list->clear();
    if (lines.isEmpty()) {
        auto* item = new QListWidgetItem(emptyText, list);
        item->setForeground(list->palette().color(QPalette::Disabled, QPalette::Text));
    } else {
        list->addItems(lines);
    }
    fitRows(list, list->count(), 1, 6);
}

QString layerLine(const Layer& layer, bool current) {
    QStringList traits;
    if (!layer.background) {
        traits << QStringLiteral("%1%").arg(layer.opacity);
    }
    if (!layer.enabled) {
        traits << QStringLiteral("disabled");
    }
    if (layer.mask.filled) {
        traits << QStringLiteral("mask filled");
    }
    if (layer.mask.inverted) {
        traits << QStringLiteral("mask inverted");
    }
    if (layer.mask.lumaRange) {
        traits << QStringLiteral("luma range");
    }
    QString line = layer.name;
    if (!traits.isEmpty()) {
        line += QStringLiteral(" (") + traits.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    if (current) {
        line += QStringLiteral(" \u2190 current");
    }
    return line;
}

} // namespace

VariantDetailsPanel::VariantDetailsPanel(QWidget* parent)
    : QWidget(parent), title_(new QLabel), summary_(new QLabel), crop_(new QLabel),
      adjustments_(new QTreeWidget), layers_(listWidget(QStringLiteral("Layers"))),
      queue_(listWidget(QStringLiteral("Processing Queue"))), exports_(listWidget(QStringLiteral("Exports"))) {
    QFont titleFont = title_->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    // Names come from files and scripts: shown as typed, never read as markup (which would load images).
    for (QLabel* label : {title_, summary_, crop_}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
    }

    adjustments_->setAccessibleName(QStringLiteral("Adjustments"));
    adjustments_->setColumnCount(2);
    adjustments_->setHeaderLabels({QStringLiteral("Adjustment"), QStringLiteral("Value")});
    adjustments_->setRootIsDecorated(false);
    adjustments_->setSelectionMode(QAbstractItemView::NoSelection);
    adjustments_->setFocusPolicy(Qt::NoFocus);
    adjustments_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    adjustments_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    adjustments_->header()->setStretchLastSection(false);
    adjustments_->setUniformRowHeights(true);

    auto* variantBox = new QWidget;
    auto* variantLayout = new QVBoxLayout(variantBox);
    variantLayout->setContentsMargins(0, 0, 0, 0);
    variantLayout->setSpacing(4);
    variantLayout->addWidget(title_);
    variantLayout->addWidget(summary_);
    variantLayout->addWidget(crop_);

    // Rows with air around them: the values are read at a glance, beside a picture.
    setStyleSheet(QStringLiteral("QTreeWidget::item, QListWidget::item { padding: 3px 2px; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(section(QStringLiteral("Primary Variant"), variantBox));
    layout->addWidget(section(QStringLiteral("Adjustments"), adjustments_));
    layout->addWidget(section(QStringLiteral("Layers"), layers_));
    layout->addWidget(section(QStringLiteral("Processing Queue"), queue_));
    layout->addWidget(section(QStringLiteral("Exports"), exports_));
    layout->addStretch(1);
    showDocument(nullptr);
}

void VariantDetailsPanel::showDocument(const Document* document) {
    const Variant* primary = nullptr;
    if (document && !document->primary.isEmpty()) {
        const auto found =
            std::find_if(document->variants.begin(), document->variants.end(),
                         [&](const Variant& variant) { return variant.id == document->primary; });
        primary = found == document->variants.end() ? nullptr : &*found;
    }

    title_->setText(!document ? kNoDocument : primary ? primary->name : kNoVariant);
    title_->setAccessibleName(title_->text());
    adjustments_->clear();
    QStringList layerLines;
    if (primary) {
        QStringList traits{VariantBrowserModel::ratingStars(primary->rating)};
        if (primary->colorTag != 0) {
            traits << VariantBrowserModel::colorTagName(primary->colorTag);
        }
        if (primary->pick) {
            traits << QStringLiteral("Picked");
        }
        if (primary->spotRemovals > 0) {
            traits << (primary->spotRemovals == 1
                           ? QStringLiteral("1 spot removed")
                           : QStringLiteral("%1 spots removed").arg(primary->spotRemovals));
        }
        summary_->setText(traits.join(QStringLiteral("  \u00b7  ")));
        crop_->setText(QStringLiteral("Crop %1, %2, %3 \u00d7 %4 \u00b7 %5 \u00b7 %6")
                           .arg(valueText(primary->crop.left), valueText(primary->crop.top),
                                valueText(primary->crop.width), valueText(primary->crop.height),
                                primary->cropAspectRatio, primary->cropOrientation));

        const auto table = adjustments::table();
        std::vector<size_t> shown;
        for (const char* name : kHeadlineAdjustments) {
            if (const auto index = adjustments::indexOf(QString::fromLatin1(name))) {
                shown.push_back(size_t(*index));
            }
        }
        for (size_t i = 0; i < table.size(); ++i) {
            if (primary->adjustments[i] != table[i].defaultValue &&
                std::find(shown.begin(), shown.end(), i) == shown.end()) {
                shown.push_back(i);
            }
        }
        for (size_t i : shown) {
            const QString name = capitalized(table[i].name);
            const QString value = valueText(primary->adjustments[i]);
            auto* item = new QTreeWidgetItem(adjustments_, {name, value});
            item->setData(1, Qt::AccessibleTextRole, name + QLatin1Char(' ') + value);
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        for (const Layer& layer : primary->layers) {
            layerLines << layerLine(layer, layer.id == primary->currentLayerId && primary->layers.size() > 1);
        }
    } else {
        summary_->clear();
        crop_->clear();
    }
    fitRows(adjustments_, adjustments_->topLevelItemCount(), 1, 16,
            adjustments_->header()->sizeHint().height());
    summary_->setAccessibleName(summary_->text());
    crop_->setAccessibleName(crop_->text());
    fillList(layers_, layerLines, primary ? QString() : kNoVariant);

    QStringList queueLines;
    QStringList exportLines;
    if (document) {
        for (const QueueEntry& entry : document->queue) {
            queueLines << entry.name;
        }
        for (const ExportEntry& entry : document->exports) {
            exportLines << entry.file;
        }
    }
    fillList(queue_, queueLines, kEmptyQueue);
    fillList(exports_, exportLines, kNoExports);
}

QStringList VariantDetailsPanel::adjustmentLines() const {
    QStringList lines;
    for (int i = 0; i < adjustments_->topLevelItemCount(); ++i) {
        lines << adjustments_->topLevelItem(i)->data(1, Qt::AccessibleTextRole).toString();
    }
    return lines;
}

} // namespace orbix::c1sim
