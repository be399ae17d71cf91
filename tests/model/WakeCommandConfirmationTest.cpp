#include "model/WakeCommandConfirmation.h"

#include "captureone/LocalCommands.h"

#include <gtest/gtest.h>

using namespace orbix;

TEST(WakeCommandConfirmationTest, CommandsThatChangeManyPropertiesAsk) {
    for (const char* command :
         {"reset adjustments", "auto adjust", "copy adjustments", "apply style Warm", "process the selection",
          "set rating to 0", "rate it 0.5", "start over", "no stars"}) {
        const auto read = localcommands::read(QString::fromUtf8(command));
        ASSERT_TRUE(read) << command;
        EXPECT_TRUE(wakeconfirmation::needsConfirmation(std::get<ComputerUseArguments>(*read))) << command;
    }
    for (const char* command : {"set rating to 3", "set exposure to 1", "rotate left", "pick", "clone variant",
                                "set color tag to 0", "maximum crop", "status"}) {
        const auto read = localcommands::read(QString::fromUtf8(command));
        ASSERT_TRUE(read) << command;
        EXPECT_FALSE(wakeconfirmation::needsConfirmation(std::get<ComputerUseArguments>(*read))) << command;
    }
    EXPECT_EQ(wakeconfirmation::answerIn(" Confirm. "), wakeconfirmation::Answer::confirm);
    EXPECT_EQ(wakeconfirmation::answerIn("cancel"), wakeconfirmation::Answer::cancel);
    EXPECT_EQ(wakeconfirmation::answerIn("confirm the reset"), wakeconfirmation::Answer::none);
}
