#include "platform/EnvironmentStrings.h"
#include "support/Environment.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

TEST(EnvironmentStrings, ReplacesDefinedNamesAndLeavesTheRestAsWritten) {
    test::ScopedEnvironment profile("MQ_TEST_PROFILE", "/home/anne");
    test::ScopedEnvironment empty("MQ_TEST_EMPTY", "");
    test::ScopedEnvironment undefined("MQ_TEST_UNDEFINED", std::nullopt);
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_PROFILE%/Mail"), "/home/anne/Mail");
    EXPECT_EQ(expandEnvironmentStrings("%mq_test_profile%"), "/home/anne");  // as Windows does
    EXPECT_EQ(expandEnvironmentStrings("a%MQ_TEST_EMPTY%b"), "ab");
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_UNDEFINED%/Mail"), "%MQ_TEST_UNDEFINED%/Mail");
    EXPECT_EQ(expandEnvironmentStrings("100%% sure"), "100%% sure");
    EXPECT_EQ(expandEnvironmentStrings("50% off"), "50% off");
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_UNDEFINED%MQ_TEST_PROFILE%"),
              "%MQ_TEST_UNDEFINED%MQ_TEST_PROFILE%");
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_PROFILE%%MQ_TEST_PROFILE%"),
              "/home/anne/home/anne");
    EXPECT_EQ(expandEnvironmentStrings(""), "");
}

TEST(EnvironmentStrings, FailsWhenTheResultAndItsNulDoNotFit) {
    const std::string fits(1023, 'x');
    EXPECT_EQ(expandEnvironmentStrings(fits), fits);
    EXPECT_EQ(expandEnvironmentStrings(fits + "y"), std::nullopt);
    // The limit applies to the expanded text, not to what was written.
    test::ScopedEnvironment variable("MQ_TEST_LONG", std::string(1000, 'v'));
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_LONG%" + std::string(23, 'x')),
              std::string(1000, 'v') + std::string(23, 'x'));
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_LONG%" + std::string(24, 'x')), std::nullopt);
    EXPECT_EQ(expandEnvironmentStrings("abc", 4), "abc");
    EXPECT_EQ(expandEnvironmentStrings("abc", 3), std::nullopt);
}

}  // namespace
}  // namespace mq
