#include "view/MessageSort.h"

#include "store/DateTime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mq {
namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(CompareText, FoldsOnlyAsciiLowerCase) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"alice", "Bob", -1}, {"Bob", "_x", -1}, {"alice", "ALICE", 0}, {"Re: a", "Re: ab", -1},
        {"", "", 0},          {"", "a", -1},     {"Z", "[", -1},        {"z", "`", -1},
        {"\xE9", "\xC9", 1},  {"\xE9", "z", 1},  {"abc", "abd", -1},    {"b", "a", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(compareText(c.a, c.b)), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(sign(compareText(c.b, c.a)), -c.expected) << c.b << " / " << c.a;
    }
    EXPECT_EQ(compareText("a", "c"), 'A' - 'C');
}

TEST(NumberText, FifteenDigitsPaddedToSixteenDecimals) {
    LocaleSettings english;
    english.thousandSeparator = ",";
    english.decimalSeparator = '.';
    LocaleSettings german;
    german.thousandSeparator = ".";
    german.decimalSeparator = ',';
    LocaleSettings plain;
    plain.thousandSeparator = "";
    plain.decimalSeparator = '.';

    EXPECT_EQ(numberText(37987.5, english), "37,987.5000000000000000");
    EXPECT_EQ(numberText(37987.5, german), "37.987,5000000000000000");
    EXPECT_EQ(numberText(37987.5, plain), "37987.5000000000000000");
    EXPECT_EQ(numberText(0.0, english), "0.0000000000000000");
    EXPECT_EQ(numberText(5000.0, english), "5,000.0000000000000000");
    EXPECT_EQ(numberText(-1.25, english), "-1.2500000000000000");
    EXPECT_EQ(numberText(1234567.0, english), "1,234,567.0000000000000000");
    // 15 significant digits, then zeros.
    EXPECT_EQ(numberText(45000.123456789012345, english), "45,000.1234567890000000");
    EXPECT_EQ(numberText(1.0 / 3.0, english), "0.3333333333333330");
    EXPECT_EQ(numberText(0.0123, english), "0.0123000000000000");
    EXPECT_EQ(numberText(99999.99999999999, english), "100,000.0000000000000000");
    EXPECT_EQ(numberText(1e20, english), "100,000,000,000,000,000,000.0000000000000000");
}

std::vector<TMessHead> messages() {
    auto at = [](int y, int mo, int d, int h) {
        return encodeDateTime(CalendarTime{y, mo, d, h, 0, 0, 0, 0});
    };
    std::vector<TMessHead> list(4);
    list[0] = {"alice", "r2", "Re: ab", "To b", at(2004, 1, 1, 12), 0, 0, 0};
    list[1] = {"Bob", "r1", "Re: a", "to A", at(1999, 6, 30, 8), 0, 0, 1};
    list[2] = {"_x", "", "", "", at(2004, 1, 1, 11), 0, 0, 2};
    list[3] = {"", "R3", "", "TO C", 5000.0, 0, 0, 3};
    return list;
}

std::vector<int> order(const std::vector<TMessHead>& list) {
    std::vector<int> indices;
    for (const TMessHead& m : list) indices.push_back(m.InfoIndex);
    return indices;
}

TEST(SortMessageList, TenRules) {
    const LocaleSettings locale;
    struct Case {
        int column;
        bool ascending;
        std::vector<int> expected;
    };
    const Case cases[] = {
        // Store texts: as characters ignoring case, so '_' goes before the letters.
        {0, true, {3, 2, 0, 1}},
        {0, false, {1, 0, 2, 3}},
        {1, true, {2, 1, 0, 3}},
        {1, false, {3, 0, 1, 2}},
        {3, true, {2, 1, 0, 3}},
        {3, false, {3, 0, 1, 2}},
        // Received: by text, so 5,000.0 (1913) sorts after 36,... and 37,...
        {4, true, {1, 2, 0, 3}},
        {4, false, {3, 0, 2, 1}},
    };
    for (const Case& c : cases) {
        std::vector<TMessHead> list = messages();
        sortMessageList(list, c.column, c.ascending, locale);
        EXPECT_EQ(order(list), c.expected) << c.column << (c.ascending ? " asc" : " desc");
        for (std::size_t i = 1; i < list.size(); ++i) {
            EXPECT_LE(compareMessages(list[i - 1], list[i], c.column, c.ascending, locale), 0);
        }
    }
    // Subjects: prefix first, two empty subjects equal.
    std::vector<TMessHead> list = messages();
    sortMessageList(list, 2, true, locale);
    EXPECT_EQ(list[2].Subject, "Re: a");
    EXPECT_EQ(list[3].Subject, "Re: ab");
    EXPECT_EQ(compareMessages(list[0], list[1], 2, true, locale), 0);

    // Any other column leaves the list alone.
    list = messages();
    sortMessageList(list, 5, true, locale);
    sortMessageList(list, -1, true, locale);
    EXPECT_EQ(order(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(compareMessages(list[0], list[1], 7, true, locale), 0);
}

}  // namespace
}  // namespace mq
