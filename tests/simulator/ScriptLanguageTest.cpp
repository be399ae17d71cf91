// The language core: literals, operators, control flow, variables, output forms, and the errors (with
// their numbers and ranges) that AppleScript would give.
#include "SimulatorTestSupport.h"
#include "engine/ScriptInterpreter.h"
#include "engine/ScriptParser.h"
#include "engine/SimulatedApplication.h"

#include <gtest/gtest.h>

using namespace orbix::c1sim;
using orbix::c1sim::test::runScript;

namespace {

QString result(const QString& source) {
    Catalog catalog = Catalog::sample();
    const auto run = runScript(catalog, source);
    EXPECT_FALSE(run.error) << source.toStdString() << " -> " << run.error->message.toStdString();
    return run.result.value_or(QStringLiteral("<no result>"));
}

ScriptError failure(const QString& source) {
    Catalog catalog = Catalog::sample();
    const auto run = runScript(catalog, source);
    EXPECT_TRUE(run.error) << source.toStdString() << " gave " << run.result.value_or(QString()).toStdString();
    return run.error.value_or(ScriptError{});
}

} // namespace

TEST(ScriptLanguage, ValuesPrintInHumanReadableForm) {
    EXPECT_EQ(result(u"return \"plain text\""_qs), "plain text");
    EXPECT_EQ(result(u"return {1, \"two\", true, 2.5, {3}}"_qs), "1, two, true, 2.5, 3");
    EXPECT_EQ(result(u"return {name:\"Sky\", opacity:60}"_qs), "name:Sky, opacity:60");
    EXPECT_EQ(result(u"return 25.0"_qs), "25.0");
    EXPECT_EQ(result(u"return 12345.5"_qs), "1.23455E+4");
    EXPECT_EQ(result(u"return -0.5"_qs), "-0.5");
    EXPECT_EQ(result(u"set x to 3"_qs), "3") << "the last statement's value is the result";
    EXPECT_EQ(result(u"return"_qs), "<no result>");
    EXPECT_EQ(result(u"return \"a\\\\b\\\"c\\td\""_qs), "a\\b\"c\td");
    EXPECT_EQ(result(u"return \"line\\nnext\""_qs), "line\nnext");
}

TEST(ScriptLanguage, Operators) {
    EXPECT_EQ(result(u"return \"Count: \" & 3 & \" of \" & 4.5"_qs), "Count: 3 of 4.5");
    EXPECT_EQ(result(u"return 1 & 2"_qs), "1, 2") << "a number on the left makes a list";
    EXPECT_EQ(result(u"return (2 + 3) * 4 - 1"_qs), "19");
    EXPECT_EQ(result(u"return 7 / 2"_qs), "3.5");
    EXPECT_EQ(result(u"return 7 div 2 & 7 mod 2"_qs), "3, 1");
    EXPECT_EQ(result(u"return 9223372036854775807 + 1"_qs), "9.223372036854776E+18") << "overflow becomes real";
    EXPECT_EQ(result(u"return \"ABC\" is \"abc\""_qs), "true") << "text comparison ignores case";
    EXPECT_EQ(result(u"return 1 = 1.0 and 2 is not 3 and not (1 > 2)"_qs), "true");
    EXPECT_EQ(result(u"return \"b\" is in {\"a\", \"B\"}"_qs), "true");
    EXPECT_EQ(result(u"return \"z\" is not in {\"a\", \"b\"}"_qs), "true");
    EXPECT_EQ(result(u"return \"era\" is in \"camera\""_qs), "true");
    EXPECT_EQ(result(u"return {1, 2} is in {0, 1, 2, 3}"_qs), "true");
    EXPECT_EQ(result(u"return 3 >= 3 and 2 <= 3 and 2 ≠ 3 and 4 ≥ 1"_qs), "true");
    EXPECT_EQ(result(u"return (count of {1, 2, 3}) + (count \"abcd\")"_qs), "7");
}

TEST(ScriptLanguage, ControlFlowAndSharedLists) {
    EXPECT_EQ(result(u"set total to 0\n"
                     "repeat with n in {1, 2, 3}\n"
                     "    if n is 2 then\n"
                     "        set total to total + 20\n"
                     "    else if n is 3 then\n"
                     "        set total to total + 300\n"
                     "    else\n"
                     "        set total to total + 1\n"
                     "    end if\n"
                     "end repeat\n"
                     "return total"_qs),
              "321");
    EXPECT_EQ(result(u"set a to {}\nset b to a\nset end of b to 1\nreturn count of a"_qs), "1")
        << "lists are shared by reference, as in AppleScript";
    EXPECT_EQ(result(u"set a to {1}\nset end of a to a\nreturn a"_qs), "1, 1") << "appending a list copies it";
    EXPECT_EQ(result(u"if true then return \"early\"\nreturn \"late\""_qs), "early");
    EXPECT_EQ(result(u"-- a comment\n# another\n(* block (* nested *) *) return 1 + ¬\n 2"_qs), "3");
    EXPECT_EQ(result(u"set |my var| to 5\nreturn |my var|"_qs), "5");
}

TEST(ScriptLanguage, RuntimeErrorsCarryNumbersAndRanges) {
    const ScriptError undefined = failure(u"set y to 1\nreturn targetVariants"_qs);
    EXPECT_EQ(undefined.message, "The variable targetVariants is not defined.");
    EXPECT_EQ(undefined.number, -2753);
    EXPECT_EQ(undefined.start, 18);
    EXPECT_EQ(undefined.end, 32);

    const ScriptError plain = failure(u"error \"Select one or more variants first.\""_qs);
    EXPECT_EQ(plain.message, "Select one or more variants first.");
    EXPECT_EQ(plain.number, -2700);
    EXPECT_FALSE(plain.fromApplication);
    EXPECT_EQ(failure(u"error \"x\" number 42"_qs).number, 42);

    EXPECT_EQ(failure(u"return 1 / 0"_qs).number, -2701);
    EXPECT_EQ(failure(u"return 1 + \"abc\""_qs).message, "Can’t make \"abc\" into type number.");
    EXPECT_EQ(failure(u"if 1 then return 2"_qs).number, -1700);
    EXPECT_EQ(failure(u"return \"a\" & {name:1}"_qs).number, -1700);

    const ScriptError unknownApp = failure(u"tell application \"Finder\"\n    activate\nend tell"_qs);
    EXPECT_EQ(unknownApp.message, "Can’t get application \"Finder\".");
    EXPECT_EQ(unknownApp.number, -1728);
    EXPECT_EQ(failure(u"tell application id \"com.example.other\" to activate"_qs).message,
              "Can’t get application id \"com.example.other\".");
}

TEST(ScriptLanguage, HandlersHaveTheirOwnVariablesAndNoTellTarget) {
    EXPECT_EQ(result(u"on inner()\n    set x to 2\n    return x * 10\nend inner\n"
                     u"set x to 1\nset y to inner()\nreturn x & y"_qs),
              "1, 20");
    EXPECT_EQ(result(u"on nothing()\nend\nset x to nothing()\nreturn 3"_qs), "3");
    // The caller's tell block does not reach into the handler, and a handler's error ends the script.
    EXPECT_EQ(failure(u"on count()\nend count"_qs).number, -2741) << "a command word is no handler name";
    EXPECT_EQ(failure(u"on f()\n    return version\nend f\n"
                      u"tell application \"Capture One\" to set x to f()"_qs)
                  .number,
              -2753);
    EXPECT_EQ(failure(u"return g()"_qs).number, -1708);
    EXPECT_EQ(failure(u"on f()\nend f\non f()\nend f"_qs).number, -2741);
    EXPECT_EQ(failure(u"on f()\n    return f()\nend f\nreturn f()"_qs).message, "Stack overflow.");
}

TEST(ScriptLanguage, AnythingOutsideTheSubsetIsASyntaxError) {
    for (const char* source : {
             "do shell script \"touch /tmp/x\"",
             "set x to",
             "tell application \"Capture One\"\n    activate",
             "repeat 3 times\nend repeat",
             "return \"unterminated",
             "return \"bad \\q escape\"",
             "on run argv\nend run",
             "try\nend try",
             "set x to item 1 of {1}",
             "return 1 +* 2",
             "tell application \"Capture One\"\n    set x to selected variants\nend repeat",
             "if true then\n    return 1\n",
             "return {name:1, name:2}",
             "return `x`",
         }) {
        auto parsed = parseScript(QString::fromUtf8(source));
        ASSERT_TRUE(std::holds_alternative<ScriptError>(parsed)) << source;
        EXPECT_EQ(std::get<ScriptError>(parsed).number, -2741) << source;
    }
    auto parsed = parseScript(u"set x to 1\nset y to 2 3"_qs);
    const auto& error = std::get<ScriptError>(parsed);
    EXPECT_EQ(error.message, "Expected end of line, etc. but found number.");
    EXPECT_EQ(error.start, 22);
    EXPECT_EQ(error.end, 23);
}

TEST(ScriptLanguage, TermsBelongToTheApplicationsTellBlock) {
    // Outside a tell block the application's multi-word terms are just two identifiers in a row.
    EXPECT_TRUE(std::holds_alternative<ScriptError>(parseScript(u"set x to selected variants"_qs)));
    EXPECT_TRUE(std::holds_alternative<Script>(
        parseScript(u"tell application \"Capture One\" to set x to selected variants"_qs)));
    // Longest match: "black and white red sensitivity" is one property, not "black" and "white red …".
    EXPECT_TRUE(std::holds_alternative<Script>(parseScript(
        u"tell application \"Capture One\" to set black and white red sensitivity of adjustments of "
        u"(primary variant) to 10"_qs)));
}

TEST(ScriptLanguage, ActivationScriptsAreAccepted) {
    EXPECT_EQ(result(u"tell application id \"com.orbix.Orbix\"\n    activate\nend tell"_qs), "<no result>");
    Catalog catalog = Catalog::sample();
    const auto run =
        runScript(catalog, u"tell application id \"com.orbix.captureone.simulator\"\n    activate\n"
                           u"end tell"_qs);
    EXPECT_FALSE(run.error);
    EXPECT_TRUE(catalog.running);
    EXPECT_EQ(catalog.lastAddressedName, "com.orbix.captureone.simulator");
}

TEST(ScriptLanguage, HostileScriptsStopWithinBounds) {
    QString deep = QStringLiteral("return ");
    for (int i = 0; i < 500; ++i)
        deep += QLatin1Char('(');
    deep += QLatin1Char('1');
    for (int i = 0; i < 500; ++i)
        deep += QLatin1Char(')');
    EXPECT_EQ(std::get<ScriptError>(parseScript(deep)).number, -2741);

    InterpreterLimits small;
    small.maxValueUnits = 50'000;
    small.maxTextLength = 100'000;
    const auto limitedError = [&](const QString& source) {
        Catalog catalog;
        SimulatedApplication application([&]() -> Catalog& { return catalog; }, &test::isTestCaptureOneName);
        ScriptInterpreter interpreter(application, small);
        return interpreter.run(std::get<Script>(parseScript(source))).error.value_or(ScriptError{}).number;
    };
    const QString doublings =
        u"repeat with i in {1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24}\n"_qs;
    EXPECT_EQ(limitedError(u"set x to \"ab\"\n"_qs + doublings + u"    set x to x & x\nend repeat"_qs), -108);
    EXPECT_EQ(limitedError(u"set x to {}\n"_qs + doublings + u"    set x to {x, x}\nend repeat"_qs), -108);
    EXPECT_EQ(limitedError(u"set x to {}\n"_qs + doublings + doublings + doublings +
                           u"    set x to {x}\nend repeat\nend repeat\nend repeat"_qs),
              -108)
        << "nesting is bounded too";

    Catalog catalog;
    auto parsed =
        parseScript(u"set l to {1,2,3,4,5,6,7,8,9,10}\n"
                    u"repeat with a in l\nrepeat with b in l\nrepeat with c in l\nrepeat with d in l\n"
                    u"set x to 1\nend repeat\nend repeat\nend repeat\nend repeat"_qs);
    SimulatedApplication application([&]() -> Catalog& { return catalog; }, &test::isTestCaptureOneName);
    InterpreterLimits limits;
    limits.maxSteps = 1000;
    ScriptInterpreter interpreter(application, limits);
    const auto outcome = interpreter.run(std::get<Script>(parsed));
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->message, "The script ran too long and was stopped.");
}
