#include "save/FileNameItems.h"

#include <gtest/gtest.h>

#include <string>

namespace mq {
namespace {

std::string slots(const FileNameItems& items) {
    std::string out;
    for (const FileNameItem& item : items) out += "<" + item.name + "|" + item.flag + ">";
    return out;
}

TEST(FileNameItems, StoredFormRoundTrips) {
    for (const std::string stored : {"From0,To0,Subject1,Date0,Reply_To_Address0",
                                     "Subject1,From0,Date1,To0,Reply_To_Address0"}) {
        FileNameItems items;
        parseFileNameFormat(stored, items);
        EXPECT_EQ(formatFileNameFormat(items), stored);
    }
    FileNameItems items;
    parseFileNameFormat("Subject1,From0,Date1,To0,Reply_To_Address0", items);
    EXPECT_EQ(slots(items), "<Subject|1><From|0><Date|1><To|0><Reply_To_Address|0>");

    // Entries that need quotes: blanks, commas, quotes, control characters.
    items = {{{"My Subject", "1"}, {"a,b", "0"}, {"say \"hi\"", "1"}, {"tab\t", "0"}, {"", ""}}};
    const std::string stored = formatFileNameFormat(items);
    EXPECT_EQ(stored, "\"My Subject1\",\"a,b0\",\"say \"\"hi\"\"1\",\"tab\t0\",\"\"");
    FileNameItems back;
    parseFileNameFormat(stored, back);
    EXPECT_EQ(slots(back), slots(items));
}

TEST(FileNameItems, ReadingOddStoredTexts) {
    const FileNameItems before = {
        {{"From", "0"}, {"To", "0"}, {"Subject", "1"}, {"Date", "0"}, {"Reply_To_Address", "0"}}};
    struct Case {
        const char* stored;
        const char* expected;
    };
    const Case cases[] = {
        // Blanks and control characters around entries are skipped.
        {"  Subject1 ,\tFrom0  ", "<Subject|1><From|0><Subject|1><Date|0><Reply_To_Address|0>"},
        // An unquoted entry ends at a blank: "My Subject1" is two entries.
        {"My Subject1", "<M|y><Subject|1><Subject|1><Date|0><Reply_To_Address|0>"},
        // More than five entries: the extra ones are ignored.
        {"a1,b1,c1,d1,e1,f1,g1", "<a|1><b|1><c|1><d|1><e|1>"},
        // Empty entries leave their slots as they were.
        {"Date1,,\"\",To1,", "<Date|1><To|0><Subject|1><To|1><Reply_To_Address|0>"},
        {"", "<From|0><To|0><Subject|1><Date|0><Reply_To_Address|0>"},
        // One character: an empty name and that flag.
        {"1", "<|1><To|0><Subject|1><Date|0><Reply_To_Address|0>"},
        // An unclosed quote runs to the end.
        {"\"Sub ject1", "<Sub ject|1><To|0><Subject|1><Date|0><Reply_To_Address|0>"},
    };
    for (const Case& c : cases) {
        FileNameItems items = before;
        parseFileNameFormat(c.stored, items);
        EXPECT_EQ(slots(items), c.expected) << c.stored;
    }
}

}  // namespace
}  // namespace mq
