#include "core/TextRules.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace orbix;

TEST(TextRules, AppleScriptQuotingEscapesBackslashesBeforeQuotes) {
    EXPECT_EQ(text::appleScriptQuoted(u"a\\\"b"), "\"a\\\\\\\"b\"");
    EXPECT_EQ(text::appleScriptQuoted(u""), "\"\"");
    EXPECT_EQ(text::appleScriptEscaped(u"\" & (do shell script \"x\") & \""),
              "\\\" & (do shell script \\\"x\\\") & \\\"");
}

TEST(TextRules, FirstNumberFollowsTheNumberPattern) {
    EXPECT_EQ(text::firstNumber(u"by +5 points"), 5.0);
    EXPECT_EQ(text::firstNumber(u"to -0.3"), -0.3);
    EXPECT_EQ(text::firstNumber(u"about .5"), 0.5);
    EXPECT_EQ(text::firstNumber(u"1e3"), 1.0);
    EXPECT_EQ(text::firstNumber(u"12. stars"), 12.0);
    EXPECT_EQ(text::firstNumber(u"no digits"), std::nullopt);
    EXPECT_EQ(text::firstNumber(u"\u0663"), std::nullopt) << "only ASCII digits count";
}

TEST(TextRules, TrimmingSets) {
    EXPECT_EQ(text::trimmedName(u" \"/Volumes/Card/Shoot.\"!\n"), "/Volumes/Card/Shoot");
    EXPECT_EQ(text::trimmedName(u"'Portrait Warm'?"), "Portrait Warm");
    EXPECT_EQ(text::trimmedName(u"a.b"), "a.b");
    EXPECT_EQ(text::trimmed(u" \t exposure \r\n"), "exposure");
}

TEST(TextRules, NormalisationKeys) {
    EXPECT_EQ(text::compactKey(u"Black & White"), "blackwhite");
    EXPECT_EQ(text::compactKey(u"expo-sure"), "exposure");
    EXPECT_EQ(text::compactKey(u"Éclat 2"), "éclat2");
    EXPECT_EQ(text::normalizedPhrase(u"Auto-Adjust…"), "autoadjust");
    EXPECT_EQ(text::normalizedPhrase(u" White  Balance "), "white balance");
    EXPECT_EQ(text::normalizedPhrase(u"That's it.\n"), "thats it");
    EXPECT_EQ(text::capitalizedWords(u"black and white red sensitivity"), "Black And White Red Sensitivity");
    EXPECT_EQ(text::capitalizedWords(u"clear luma range"), "Clear Luma Range");
    EXPECT_EQ(text::lowerKeepingOffsets(u"İSTANBUL FROM").size(), 13) << "full lower-casing gives 14";
    EXPECT_TRUE(text::lowerKeepingOffsets(u"İSTANBUL FROM").endsWith("stanbul from"));
}

TEST(TextRules, ShortestRealTextAlwaysHasAFraction) {
    EXPECT_EQ(text::shortestRealText(25), "25.0");
    EXPECT_EQ(text::shortestRealText(-0.5), "-0.5");
    EXPECT_EQ(text::shortestRealText(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(text::shortestRealText(100), "100.0");
    EXPECT_EQ(text::shortestRealText(1e-7), "0.0000001");
}

TEST(TextRules, ParseFiniteRealAcceptsOnlyWholeNumbers) {
    EXPECT_EQ(text::parseFiniteReal(u"+10"), 10.0);
    EXPECT_EQ(text::parseFiniteReal(u"1e2"), 100.0);
    EXPECT_EQ(text::parseFiniteReal(u"-.5"), -0.5);
    for (const char16_t* refused :
         {u"", u"10%", u"inf", u"nan", u"-inf", u"1e400", u"1,5", u"+-1", u" 1", u"0x10"}) {
        EXPECT_EQ(text::parseFiniteReal(refused), std::nullopt) << QString::fromUtf16(refused).toStdString();
    }
}

TEST(TextRules, TruncatedIntegerStaysInSigned64BitRange) {
    EXPECT_EQ(text::truncatedInteger(4.7), 4);
    EXPECT_EQ(text::truncatedInteger(-4.7), -4);
    EXPECT_EQ(text::truncatedInteger(9.2e18), qint64(9200000000000000000LL));
    EXPECT_EQ(text::truncatedInteger(9.3e18), std::nullopt);
    EXPECT_EQ(text::truncatedInteger(-9223372036854775808.0), std::numeric_limits<qint64>::min());
    EXPECT_EQ(text::truncatedInteger(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(text::truncatedInteger(std::nan("")), std::nullopt);
}
