#include "core/ConversationRecords.h"

#include "support/TestSupport.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace orbix;

TEST(ConversationRecords, MessagesCompareByEveryField) {
    const auto first = ConversationMessage::make(ConversationRole::user, InputMode::quiet, "Hello");
    const auto second = ConversationMessage::make(ConversationRole::user, InputMode::quiet, "Hello");
    EXPECT_NE(first, second) << "equal text, different identifiers";

    auto edited = first;
    EXPECT_EQ(edited, first);
    EXPECT_EQ(qHash(edited), qHash(first));
    edited.content += " again";
    EXPECT_NE(edited, first);

    auto withoutMode = first;
    withoutMode.mode.reset();
    auto alsoWithoutMode = withoutMode;
    EXPECT_NE(withoutMode, first);
    EXPECT_EQ(withoutMode, alsoWithoutMode);
}

TEST(ConversationRecords, RoutesCompareByIdentifierAlone) {
    auto route = AppIntentRoute::make(SidebarSection::chat, QStringLiteral("rate 5"));
    auto other = route;
    other.prefilledPrompt.reset();
    EXPECT_EQ(route, other);
    EXPECT_EQ(qHash(route), qHash(other));
    EXPECT_NE(route, AppIntentRoute::make(SidebarSection::chat, QStringLiteral("rate 5")));
}

TEST(ConversationRecords, EnumerationsRoundTripTheirRawValues) {
    EXPECT_EQ(enumFromRawValue<ArtifactStatus>(u"needs review"), ArtifactStatus::needsReview);
    EXPECT_EQ(enumFromRawValue<ArtifactStatus>(u"needsReview"), std::nullopt);
    EXPECT_EQ(enumFromRawValue<ArtifactKind>(u"table"), std::nullopt);
    EXPECT_EQ(enumFromRawValue<ArtifactKind>(u"update"), ArtifactKind::update);
    EXPECT_EQ(enumFromRawValue<InputMode>(u"Voice"), std::nullopt) << "raw values are case-sensitive";
    EXPECT_EQ(rawValue(AssistantProviderKind::openAI), "openAI");
    EXPECT_EQ(rawValue(ArtifactStatus::needsReview), "needs review");

    const std::vector<ArtifactKind> kinds = allCases<ArtifactKind>();
    ASSERT_EQ(kinds.size(), 4u);
    EXPECT_EQ(kinds.front(), ArtifactKind::markdown);
    EXPECT_EQ(kinds.back(), ArtifactKind::update);
    EXPECT_EQ(label(ArtifactStatus::needsReview), "Needs Review");
    EXPECT_EQ(symbolName(ArtifactKind::progress), "circle.dotted");
}

TEST(ConversationRecords, ImportedPhotoTakesItsFileName) {
    const auto asset = ImportedPhotoAsset::make(QUrl::fromLocalFile("/shoot/day one/IMG_0001.CR3"));
    EXPECT_EQ(asset.displayName, "IMG_0001");
    QSet<ImportedPhotoAsset> set{asset, asset};
    EXPECT_EQ(set.size(), 1);
}
