#include "uiautomation/UIElementDescription.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace orbix {
namespace {

TEST(UIElementDescriptionTest, AbsentDescriptionAndValueAreOmittedAndRoundTrip) {
    const UIElementDescription bare{QStringLiteral("AXButton"), QString(), QStringLiteral("OK"), {}, {}};
    EXPECT_EQ(QJsonDocument(bare.toJson()).toJson(QJsonDocument::Compact),
              QByteArray(R"({"name":"OK","role":"AXButton","subrole":""})"));
    EXPECT_EQ(UIElementDescription::fromJson(bare.toJson()), bare);

    const UIElementDescription full{QStringLiteral("AXTextField"), QStringLiteral("AXSearchField"),
                                    QStringLiteral("Search"), QStringLiteral("Find styles"),
                                    QStringLiteral("warm")};
    EXPECT_EQ(UIElementDescription::fromJson(full.toJson()), full);
}

TEST(UIElementDescriptionTest, MalformedObjectsAreRefused) {
    EXPECT_FALSE(UIElementDescription::fromJson(QJsonObject{{"role", "AXButton"}, {"subrole", ""}}));
    EXPECT_FALSE(UIElementDescription::fromJson(
        QJsonObject{{"role", "AXButton"}, {"subrole", ""}, {"name", "OK"}, {"value", 3}}));
}

} // namespace
} // namespace orbix
