#include "model/WakeCommandConfirmation.h"

#include <gtest/gtest.h>

using namespace orbix;

TEST(WakeCommandConfirmationTest, CommandsThatChangeManyPropertiesAsk) {
    for (const char* command : {"reset adjustments", "auto adjust", "copy adjustments", "apply style Warm",
                                "process the selection", "set rating to 0", "rate it 0.5"}) {
        const auto parsed = CaptureOneCommandParser::parse(QString::fromUtf8(command), true);
        ASSERT_TRUE(parsed) << command;
        EXPECT_TRUE(wakeconfirmation::needsConfirmation(*parsed)) << command;
    }
    for (const char* command : {"set rating to 3", "set exposure to 1", "rotate left", "pick", "clone variant",
                                "set color tag to 0", "maximum crop", "status"}) {
        const auto parsed = CaptureOneCommandParser::parse(QString::fromUtf8(command), true);
        ASSERT_TRUE(parsed) << command;
        EXPECT_FALSE(wakeconfirmation::needsConfirmation(*parsed)) << command;
    }
    EXPECT_EQ(wakeconfirmation::answerIn(" Confirm. "), wakeconfirmation::Answer::confirm);
    EXPECT_EQ(wakeconfirmation::answerIn("cancel"), wakeconfirmation::Answer::cancel);
    EXPECT_EQ(wakeconfirmation::answerIn("confirm the reset"), wakeconfirmation::Answer::none);
}
