#include "model/ChangeLog.h"

#include "core/TextRules.h"

#include <QJsonObject>

namespace orbix::changelog {

namespace {

constexpr qsizetype namedTargetLimit = 10;
constexpr qsizetype listedPropertyLimit = 3;
const QString arrow = QStringLiteral(" → ");

QString timeText(const ChangeRecord& change) {
    return change.time.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
}

// "2 photos (IMG_0001, IMG_0002)", at most ten names, then "and N more".
QString targetsText(const ChangeRecord& change) {
    QStringList names;
    for (const VariantChange& variant : change.variants) {
        names << variant.name;
    }
    const qsizetype count = names.size();
    QString text = orbix::text::photoCount(count);
    if (count > namedTargetLimit) {
        names = names.mid(0, namedTargetLimit);
        names << QStringLiteral("and %1 more").arg(count - namedTargetLimit);
    }
    return text + QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// "rating 0 → 4"; distinct values joined when the photos held different ones.
QString propertyText(const ChangeRecord& change, const QString& property) {
    QStringList before;
    QStringList after;
    for (const VariantChange& variant : change.variants) {
        for (const PropertyChange& value : variant.properties) {
            if (value.property.name != property) {
                continue;
            }
            if (!before.contains(value.before)) {
                before << value.before;
            }
            if (!after.contains(value.after)) {
                after << value.after;
            }
        }
    }
    return property + QLatin1Char(' ') + before.join(QStringLiteral(", ")) + arrow +
           after.join(QStringLiteral(", "));
}

QString csvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'))) {
        return value;
    }
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QString markdown(const QList<ChangeRecord>& changes) {
    QString text;
    if (changes.isEmpty()) {
        return QStringLiteral("No changes yet in this session.\n");
    }
    for (auto change = changes.crbegin(); change != changes.crend(); ++change) {
        QString line = QStringLiteral("- ") + timeText(*change) + QStringLiteral(" · ") +
                       rawValue(change->road) + QStringLiteral(" · “") + change->request +
                       QStringLiteral("” · ");
        if (!change->changedAnything()) {
            line += change->action;
        } else {
            const QStringList properties = change->propertyNames();
            QStringList parts;
            for (const QString& property : properties.mid(0, listedPropertyLimit)) {
                parts << propertyText(*change, property);
            }
            if (properties.size() > listedPropertyLimit) {
                parts << QStringLiteral("and %1 more").arg(properties.size() - listedPropertyLimit);
            }
            line += targetsText(*change) + QStringLiteral(": ") + parts.join(QStringLiteral("; "));
        }
        if (!change->undoable) {
            line += QStringLiteral(" (can’t be undone)");
        } else if (change->undone) {
            line += QStringLiteral(" (undone)");
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

QString csv(const QList<ChangeRecord>& changes) {
    QString text =
        QStringLiteral("time,road,request,action,undoable,undone,variant,path,property,before,after\n");
    for (const ChangeRecord& change : changes) {
        const QString common = QStringList{change.time.toString(Qt::ISODate), rawValue(change.road),
                                           csvField(change.request),          change.action,
                                           boolText(change.undoable),         boolText(change.undone)}
                                   .join(QLatin1Char(','));
        if (change.variants.isEmpty()) {
            text += common + QStringLiteral(",,,,,\n");
        }
        for (const VariantChange& variant : change.variants) {
            for (const PropertyChange& value : variant.properties) {
                text += common + QLatin1Char(',') +
                        QStringList{csvField(variant.name), csvField(variant.path), value.property.name,
                                    csvField(value.before), csvField(value.after)}
                            .join(QLatin1Char(',')) +
                        QLatin1Char('\n');
            }
        }
    }
    return text;
}

QJsonArray json(const QList<ChangeRecord>& changes) {
    QJsonArray array;
    for (const ChangeRecord& change : changes) {
        QJsonArray targets;
        for (const VariantChange& variant : change.variants) {
            QJsonArray properties;
            for (const PropertyChange& value : variant.properties) {
                properties.append(QJsonObject{
                    {"property", value.property.name}, {"before", value.before}, {"after", value.after}});
            }
            targets.append(QJsonObject{{"id", variant.id},
                                       {"name", variant.name},
                                       {"path", variant.path},
                                       {"properties", properties}});
        }
        array.append(QJsonObject{
            {"time", change.time.toString(Qt::ISODateWithMs)},
            {"road", rawValue(change.road)},
            {"request", change.request},
            {"action", change.action},
            {"onTrayPhotos", change.onTrayPhotos},
            {"undoable", change.undoable},
            {"undone", change.undone},
            {"targets", targets},
        });
    }
    return array;
}

} // namespace orbix::changelog
