#include "services/ResponsesReplyReader.h"

#include <gtest/gtest.h>

using namespace orbix;
namespace reader = orbix::ResponsesReplyReader;

namespace {

HttpReply ok(const QByteArray& body) {
    return HttpReply{200, body};
}

QString textOf(const HttpReply& reply) {
    const auto result = reader::outputText(reply);
    return result ? result.value() : QStringLiteral("<error: %1>").arg(result.error().description());
}

const QString kEmptyOutput = QStringLiteral("<error: The OpenAI response did not include text output.>");
const QString kInvalid = QStringLiteral("<error: The OpenAI server returned an invalid response.>");

} // namespace

TEST(ResponsesReplyReader, OutputTextComesFromEitherReplyShape) {
    EXPECT_EQ(textOf(ok(R"({"output_text":"  {\"message\":\"hi\"}\n"})")), R"({"message":"hi"})");

    // The raw HTTP shape: a reasoning item first, then a message with its parts; other part types skipped.
    EXPECT_EQ(textOf(ok(R"({"id":"resp_1","object":"response","status":"completed","output":[
        {"type":"reasoning","id":"rs_1","summary":[],"content":[{"type":"reasoning_text","text":"thinking"}]},
        {"type":"message","id":"msg_1","role":"assistant","content":[
            {"type":"output_text","text":"first","annotations":[]},
            {"type":"refusal","refusal":"no"},
            {"type":"output_text","text":"second"}]},
        {"type":"function_call","id":"fc_1","call_id":"c","name":"f","arguments":"{}"},
        {"type":"message","content":[{"type":"output_text","text":"third\n"}]}]})")),
              "first\nsecond\nthird");

    // An empty or blank "output_text" falls back to the items.
    EXPECT_EQ(textOf(ok(R"({"output_text":"","output":[{"content":[{"type":"output_text","text":"x"}]}]})")),
              "x");
    EXPECT_EQ(textOf(ok(R"({"output_text":" \n","output":[{"content":[{"type":"output_text","text":"y"}]}]})")),
              "y");
}

TEST(ResponsesReplyReader, RepliesWithoutTextAreTypedFailures) {
    EXPECT_EQ(textOf(ok(R"({"output":[]})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok(R"({"status":"incomplete"})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok(R"({"output":{"content":[]}})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok(R"({"output":["text"]})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok(R"({"output":[{"content":[{"type":"output_text","text":"  "}]}]})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok(R"({"output":[{"content":[{"type":"output_text","text":7}]}]})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok(R"({"output_text":5})")), kEmptyOutput);
    EXPECT_EQ(textOf(ok("{\"output_text\":")), kInvalid);
    EXPECT_EQ(textOf(ok("")), kInvalid);
    EXPECT_EQ(textOf(ok("[1,2]")), kInvalid);
    EXPECT_EQ(textOf(HttpReply{std::nullopt, "{}"}), kInvalid) << "not an HTTP reply";
}

TEST(ResponsesReplyReader, ErrorStatusCarriesBodyWithSecretsRedacted) {
    const QByteArray body =
        R"({"error":{"message":"Incorrect API key provided: sk-test-1234567890.","code":"invalid_api_key"}})";
    const auto result = reader::outputText(HttpReply{401, body}, {QStringLiteral("sk-test-1234567890")});
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, OpenAIProviderError::Kind::apiError);
    EXPECT_FALSE(result.error().description().contains("sk-test-1234567890"));
    EXPECT_TRUE(
        result.error().description().startsWith("HTTP 401 {\"error\":{\"message\":\"Incorrect API key"));

    const auto undecodable = reader::outputText(HttpReply{500, "\xFF\xFE"});
    ASSERT_FALSE(undecodable);
    EXPECT_EQ(undecodable.error().description(), "HTTP 500 ");
}

TEST(ResponsesReplyReader, CleaningRemovesFencesOnly) {
    EXPECT_EQ(reader::cleanJsonString(u"\n```json\n{\"a\":1}\n```\n"), "{\"a\":1}");
    EXPECT_EQ(reader::cleanJsonString(u"```\n{\"a\":1}```"), "{\"a\":1}");
    EXPECT_EQ(reader::cleanJsonString(u"```JSON {}```"), "JSON {}") << "the word is matched case-sensitively";
    EXPECT_EQ(reader::cleanJsonString(u"plain ``` text"), "plain ``` text");
    EXPECT_EQ(reader::cleanJsonString(u"```"), "");
}

TEST(ResponsesReplyReader, ModelTextMapsToResponse) {
    const auto full = reader::assistantResponse(QStringLiteral(R"(```json
{"message":"Warmer it is.",
 "action":{"type":"c1_adjust_slider","slider":"temperature","value":350,"relative":true,"text":"t",
           "preset_name":"Film","folder_path":"/p","script_code":"s","extra":1},
 "artifact":{"kind":"markdown","title":"Plan","body":"line one\\nline two"}}
```)"));
    EXPECT_EQ(full.message.content, "Warmer it is.");
    EXPECT_EQ(full.message.role, ConversationRole::assistant);
    EXPECT_EQ(full.message.mode, InputMode::quiet);
    EXPECT_FALSE(full.message.id.isNull());
    ASSERT_EQ(full.artifacts.size(), 1u);
    EXPECT_EQ(full.artifacts[0].kind, ArtifactKind::markdown);
    EXPECT_EQ(full.artifacts[0].status, ArtifactStatus::ready);
    EXPECT_EQ(full.artifacts[0].title, "Plan");
    EXPECT_EQ(full.artifacts[0].body, "line one\nline two");
    ASSERT_TRUE(full.action);
    EXPECT_EQ(*full.action,
              (AssistantAction{"c1_adjust_slider", "s", "temperature", 350.0, true, "t", "Film", "/p"}));

    // Members of the wrong JSON type are absent; "value" as a string is absent.
    const auto loose = reader::assistantResponse(
        R"({"message":5,"action":{"type":"c1_set_rating","value":"4","relative":"yes","slider":1},
            "artifact":{"kind":"table","title":"T","body":"b"}})");
    EXPECT_EQ(loose.message.content, "");
    ASSERT_TRUE(loose.action);
    AssistantAction bare;
    bare.type = "c1_set_rating";
    EXPECT_EQ(*loose.action, bare);
    ASSERT_EQ(loose.artifacts.size(), 1u);
    EXPECT_EQ(loose.artifacts[0].kind, ArtifactKind::note) << "unknown kinds become notes";

    EXPECT_EQ(reader::assistantResponse(R"({"artifact":{"kind":"progress","title":"P","body":""}})")
                  .artifacts[0]
                  .kind,
              ArtifactKind::progress);

    // An artifact without a body and an action without a type are dropped; the rest stays.
    const auto partial = reader::assistantResponse(
        R"({"message":"Done.","action":{"slider":"exposure","value":1},"artifact":{"kind":"note","title":"T"}})");
    EXPECT_EQ(partial.message.content, "Done.");
    EXPECT_TRUE(partial.artifacts.empty());
    EXPECT_FALSE(partial.action);

    const auto nulls = reader::assistantResponse(R"({"message":"Hi","action":null,"artifact":null})");
    EXPECT_EQ(nulls.message.content, "Hi");
    EXPECT_TRUE(nulls.artifacts.empty());
    EXPECT_FALSE(nulls.action);
}

TEST(ResponsesReplyReader, TextThatIsNotAnObjectBecomesTheMessageVerbatim) {
    for (const QString& text :
         {QStringLiteral("```\nSure! I set the exposure.\n```"), QStringLiteral("[1,2,3]"),
          QStringLiteral("\"just a string\""), QStringLiteral("{broken")}) {
        const auto response = reader::assistantResponse(text);
        EXPECT_EQ(response.message.content, text);
        EXPECT_TRUE(response.artifacts.empty());
        EXPECT_FALSE(response.action);
    }
}
