#pragma once
// Runs one dispatcher action to completion: the arguments start with the action name and the filler sets
// the rest.

#include "captureone/MacComputerUseService.h"
#include "support/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>

namespace orbix::test {

using FillArguments = std::function<void(ComputerUseArguments&)>;

inline ComputerUseResult dispatchAction(MacComputerUseService& dispatcher, const char* action,
                                        const FillArguments& fill = {}) {
    ComputerUseArguments arguments;
    arguments.action = QString::fromUtf8(action);
    if (fill) {
        fill(arguments);
    }
    std::optional<ComputerUseResult> result;
    dispatcher.executeAction(arguments, [&](const ComputerUseResult& r) { result = r; });
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }, std::chrono::seconds(20)))
        << arguments.action.toStdString();
    return result.value_or(ComputerUseResult{});
}

} // namespace orbix::test
