#include "platform/EnvironmentStrings.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace mq {
namespace {

TEST(EnvironmentStrings, ReplacesDefinedNamesAndLeavesTheRestAsWritten) {
    setenv("MQ_TEST_PROFILE", "/home/anne", 1);
    setenv("MQ_TEST_EMPTY", "", 1);
    unsetenv("MQ_TEST_UNDEFINED");
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
    unsetenv("MQ_TEST_PROFILE");
    unsetenv("MQ_TEST_EMPTY");
}

TEST(EnvironmentStrings, FailsWhenTheResultAndItsNulDoNotFit) {
    const std::string fits(1023, 'x');
    EXPECT_EQ(expandEnvironmentStrings(fits), fits);
    EXPECT_EQ(expandEnvironmentStrings(fits + "y"), std::nullopt);
    // The limit applies to the expanded text, not to what was written.
    setenv("MQ_TEST_LONG", std::string(1000, 'v').c_str(), 1);
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_LONG%" + std::string(23, 'x')),
              std::string(1000, 'v') + std::string(23, 'x'));
    EXPECT_EQ(expandEnvironmentStrings("%MQ_TEST_LONG%" + std::string(24, 'x')), std::nullopt);
    EXPECT_EQ(expandEnvironmentStrings("abc", 4), "abc");
    EXPECT_EQ(expandEnvironmentStrings("abc", 3), std::nullopt);
    unsetenv("MQ_TEST_LONG");
}

}  // namespace
}  // namespace mq
