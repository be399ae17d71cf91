#include "model/BatchReplies.h"

#include "core/TextRules.h"

#include <QRegularExpression>

namespace orbix::batchreplies {

namespace {

// Stands for the count in a line's shape; no reply holds it.
const QChar countMark = QChar(0x1);

using text::countText;

} // namespace

QString combined(const QStringList& replies) {
    static const QRegularExpression variantCount(QStringLiteral("(\\d+)(?= selected variant\\(s\\))"));
    QStringList shapes;
    QList<qint64> totals;
    QList<bool> counted;
    for (const QString& reply : replies) {
        for (const QString& line : reply.split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch match = variantCount.match(line);
            QString shape = line;
            if (match.hasMatch()) {
                shape.replace(match.capturedStart(1), match.capturedLength(1), countMark);
            }
            const qsizetype known = shapes.indexOf(shape);
            if (known < 0) {
                shapes << shape;
                totals << (match.hasMatch() ? match.captured(1).toLongLong() : 0);
                counted << match.hasMatch();
            } else if (match.hasMatch()) {
                totals[known] += match.captured(1).toLongLong();
            }
        }
    }
    QStringList lines;
    for (qsizetype i = 0; i < shapes.size(); ++i) {
        lines << (counted[i] ? QString(shapes[i]).replace(countMark, QString::number(totals[i])) : shapes[i]);
    }
    return lines.join(QLatin1Char('\n'));
}

QString progress(qsizetype done, qsizetype total) {
    return QStringLiteral("Changing photos in Capture One: %1 of %2 done.")
        .arg(countText(done), countText(total));
}

QString stoppedAfter(qsizetype done, qsizetype total) {
    return QStringLiteral("Stopped after %1 of %2.").arg(countText(done), text::photoCount(total));
}

} // namespace orbix::batchreplies
