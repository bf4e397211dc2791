#include "extract/TEmailChk.h"

#include <gtest/gtest.h>

#include <string>

namespace mq {
namespace {

struct Case {
    const char* candidate;
    bool accepted;
    int code;      // expected when rejected
    int position;  // expected ErrorPos; -1 = must stay untouched
};

TEST(TEmailChk, RejectsWithTheCodeAndPositionOfTheFirstFailingTest) {
    const std::string user64(64, 'u');
    const std::string domain256 = std::string(252, 'd') + ".com";
    const Case cases[] = {
        {"", false, 2, -1},
        {"plainword", false, 1, -1},
        {"@example.com", false, 6, -1},
        {"anne@", false, 7, -1},
        {"anne@localhost", false, 8, -1},
        {"anne@example.c", false, 9, -1},
        {"anne@example.co", true, 0, -1},
        {"a nne@example.com", false, 5, 2},
        {"<anne@example.com>", false, 5, 1},
        {"Anne <anne@example.com>", false, 5, 5},
        {"an+ne@example.com", false, 5, 3},
        {"ann\xE9@example.com", false, 5, 4},
        {".ann@example.com", false, 5, 1},
        {"ann.@example.com", false, 5, 4},
        {"a..n@example.com", false, 5, 2},
        {"abc@.example.com", false, 5, 5},
        {"abc@e..xample.com", false, 5, 6},
        {"abc@-e.com", false, 5, 5},
        {"abc@e-.com", false, 5, 6},
        {"abc@e@xample.com", false, 10, 6},
        {"abc@example.com.", false, 5, 16},
        {"abc@e..x@y.com", false, 5, 6},
        {"abc@mail.-x.com", false, 5, 10},
        {"abc@mail.x-.com", false, 5, 11},
        {"abc@mail.co-", true, 0, -1},  // the last label is not checked for hyphens
        {"a@b@", false, 10, 4},         // a second "@" at the very end
    };
    TEmailChk checker;
    for (const Case& c : cases) {
        std::int32_t code = 99;
        std::int32_t position = -1;
        const bool accepted = checker.CheckEmail(c.candidate, code, position);
        EXPECT_EQ(accepted, c.accepted) << c.candidate;
        EXPECT_EQ(code, c.accepted ? 99 : c.code) << c.candidate;
        EXPECT_EQ(position, c.position) << c.candidate;
    }

    std::int32_t code = 0;
    std::int32_t position = 0;
    EXPECT_TRUE(checker.CheckEmail(user64 + "@example.com", code, position));
    EXPECT_FALSE(checker.CheckEmail(user64 + "u@example.com", code, position));
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(checker.CheckEmail("a@" + domain256, code, position));
    EXPECT_FALSE(checker.CheckEmail("a@d" + domain256, code, position));
    EXPECT_EQ(code, 4);
    EXPECT_FALSE(checker.CheckEmail(user64 + "u@d" + domain256, code, position));
    EXPECT_EQ(code, 4) << "the domain length is tested first";
}

TEST(TEmailChk, PropertiesKeepOnlyValuesInTheirRange) {
    TEmailChk checker;
    EXPECT_EQ(checker.MaxDomainPortion(), 256);
    EXPECT_EQ(checker.MaxNumbersInUserName(), 319);
    EXPECT_EQ(checker.MaxUsernamePortion(), 64);
    EXPECT_EQ(checker.Filter(), "");

    checker.setMaxDomainPortion(2);
    checker.setMaxDomainPortion(300);
    checker.setMaxUsernamePortion(0);
    checker.setMaxUsernamePortion(65);
    checker.setMaxNumbersInUserName(320);
    EXPECT_EQ(checker.MaxDomainPortion(), 256);
    EXPECT_EQ(checker.MaxUsernamePortion(), 64);
    EXPECT_EQ(checker.MaxNumbersInUserName(), 319);

    checker.setMaxDomainPortion(3);
    checker.setMaxUsernamePortion(1);
    checker.setMaxNumbersInUserName(-5);
    EXPECT_EQ(checker.MaxDomainPortion(), 3);
    EXPECT_EQ(checker.MaxUsernamePortion(), 1);
    EXPECT_EQ(checker.MaxNumbersInUserName(), -5);
}

TEST(TEmailChk, DigitLimitAndFilter) {
    TEmailChk checker;
    checker.setMaxNumbersInUserName(3);
    std::int32_t code = 0;
    std::int32_t position = 0;
    EXPECT_FALSE(checker.CheckEmail("a1234@example.com", code, position));
    EXPECT_EQ(code, 11);
    EXPECT_EQ(position, 1);
    EXPECT_TRUE(checker.CheckEmail("a1b2c3@example.com", code, position));

    checker.setFilter("ExAmple");
    EXPECT_TRUE(checker.CheckEmail("anne@EXAMPLE.com", code, position));
    code = 0;
    position = 7;
    EXPECT_FALSE(checker.CheckEmail("anne@other.com", code, position));
    EXPECT_EQ(code, 12);
    EXPECT_EQ(position, 7);
}

TEST(TEmailChk, TrimDotsAndTheCharacterSet) {
    EXPECT_EQ(TEmailChk::TrimDots(""), "");
    EXPECT_EQ(TEmailChk::TrimDots(".a."), "a");
    EXPECT_EQ(TEmailChk::TrimDots(" . "), ".");
    EXPECT_EQ(TEmailChk::TrimDots("...."), "");
    EXPECT_EQ(TEmailChk::TrimDots("..\t.a.b.. "), ".a.b..");
    EXPECT_EQ(TEmailChk::TrimDots("anne@example.com."), "anne@example.com");

    int count = 0;
    for (int c = 0; c < 256; ++c) count += isEmailChar(static_cast<unsigned char>(c)) ? 1 : 0;
    EXPECT_EQ(count, 66);
    EXPECT_EQ(EmailChars.size(), 66u);
    for (char c : EmailChars) EXPECT_TRUE(isEmailChar(static_cast<unsigned char>(c)));
    for (char c : std::string("+'<>,;:\"()[]{}!#$%&*/=?^|~` ")) {
        EXPECT_FALSE(isEmailChar(static_cast<unsigned char>(c))) << c;
    }

    EXPECT_STREQ(EmailErrorText[0], "Unknown error occured!");
    EXPECT_STREQ(EmailErrorText[8], "Missing domain portion (.com,.net,etc)");
    EXPECT_STREQ(EmailErrorText[10], "To many @ symbols!");
    EXPECT_STREQ(EmailErrorText[12], "Not allowed in filter");
}

}  // namespace
}  // namespace mq
