#include "captureone/PhotoMarks.h"

#include <QSet>

namespace orbix::photomarks {

namespace {
constexpr int fieldCount = 4;
} // namespace

QHash<QString, PhotoMarks> parseReport(const QString& report, const QStringList& requestedPaths) {
    const QSet<QString> requested(requestedPaths.begin(), requestedPaths.end());
    QHash<QString, PhotoMarks> marks;
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        // A path holds anything but a line break: it is the last field, and may hold tabs itself.
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < fieldCount) {
            continue;
        }
        const QString path = fields.mid(fieldCount - 1).join(QLatin1Char('\t'));
        bool ratingRead = false;
        bool tagRead = false;
        const int rating = fields[0].toInt(&ratingRead);
        const int colorTag = fields[2].toInt(&tagRead);
        const bool isPickText = fields[1] == QLatin1String("true") || fields[1] == QLatin1String("false");
        if (!ratingRead || !tagRead || !isPickText || !requested.contains(path) || marks.contains(path)) {
            continue;
        }
        marks.insert(path, PhotoMarks{rating, fields[1] == QLatin1String("true"), colorTag});
    }
    return marks;
}

} // namespace orbix::photomarks
