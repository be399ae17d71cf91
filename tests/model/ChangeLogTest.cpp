// The change log's three forms, from records built here: the Markdown line grammar, CSV quoting, JSON.
#include "model/ChangeLog.h"

#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

const RecordedProperty rating{"rating", RecordedProperty::Scope::variant, RecordedProperty::Kind::number};
const RecordedProperty exposure{"exposure", RecordedProperty::Scope::adjustments,
                                RecordedProperty::Kind::number};

ChangeRecord ratingChange(int photos, const QString& request) {
    ChangeRecord change;
    change.time = QDateTime(QDate(2026, 5, 1), QTime(9, 30, 5));
    change.request = request;
    change.action = "c1_set_rating";
    for (int index = 1; index <= photos; ++index) {
        change.variants.append({QString::number(index),
                                QStringLiteral("IMG_%1").arg(index),
                                QStringLiteral("/p/IMG_%1.jpg").arg(index),
                                {{rating, index == 1 ? "2" : "0", "4"}}});
    }
    return change;
}

} // namespace

TEST(ChangeLog, MarkdownListsNewestFirstWithTargetsValuesAndMarks) {
    ChangeRecord first = ratingChange(12, "rate these, 4 stars");
    first.undone = true;
    ChangeRecord imported;
    imported.time = first.time;
    imported.road = ChangeRoad::wake;
    imported.request = "import photos";
    imported.action = "c1_import_folder";
    imported.undoable = false;
    ChangeRecord many = ratingChange(1, "warmer");
    many.road = ChangeRoad::voice;
    for (const char* name : {"temperature", "tint", "contrast", "clarity"}) {
        many.variants[0].properties.append(
            {{name, RecordedProperty::Scope::adjustments, RecordedProperty::Kind::number}, "0", "1"});
    }
    const QString time = first.time.toLocalTime().toString("HH:mm:ss");
    EXPECT_EQ(
        changelog::markdown({first, imported, many}),
        "- " + time +
            " · voice · “warmer” · 1 photo (IMG_1): rating 2 → 4; temperature 0 → 1; tint 0 → 1; and 2 more\n"
            "- " +
            time +
            " · wake · “import photos” · c1_import_folder (can’t be undone)\n"
            "- " +
            time +
            " · typed · “rate these, 4 stars” · 12 photos (IMG_1, IMG_2, IMG_3, IMG_4, IMG_5, IMG_6, "
            "IMG_7, IMG_8, IMG_9, IMG_10, and 2 more): rating 2, 0 → 4 (undone)\n");
    EXPECT_EQ(changelog::markdown({}), "No changes yet in this session.\n");
}

TEST(ChangeLog, CsvHasARowPerChangedValueAndQuotesWhatNeedsIt) {
    ChangeRecord change = ratingChange(1, "say \"four\", please");
    change.variants[0].properties.append({exposure, "0.0", "1,5"});
    ChangeRecord clone;
    clone.time = change.time;
    clone.action = "c1_clone_variant";
    clone.undoable = false;
    const QString time = change.time.toString(Qt::ISODate);
    EXPECT_EQ(
        changelog::csv({change, clone}),
        "time,road,request,action,undoable,undone,variant,path,property,before,after\n" + time +
            ",typed,\"say \"\"four\"\", please\",c1_set_rating,true,false,IMG_1,/p/IMG_1.jpg,rating,2,4\n" +
            time +
            ",typed,\"say \"\"four\"\", "
            "please\",c1_set_rating,true,false,IMG_1,/p/IMG_1.jpg,exposure,0.0,\"1,5\"\n" +
            time + ",typed,,c1_clone_variant,false,false,,,,,\n");
}

TEST(ChangeLog, JsonCarriesTheTypedFields) {
    ChangeRecord change = ratingChange(1, "four");
    change.onTrayPhotos = true;
    const QJsonObject object = changelog::json({change})[0].toObject();
    EXPECT_EQ(object.value("road"), "typed");
    EXPECT_EQ(object.value("onTrayPhotos"), true);
    EXPECT_EQ(object.value("targets")[0].toObject(),
              (QJsonObject{{"id", "1"},
                           {"name", "IMG_1"},
                           {"path", "/p/IMG_1.jpg"},
                           {"properties", QJsonArray{QJsonObject{
                                              {"property", "rating"}, {"before", "2"}, {"after", "4"}}}}}));
}
