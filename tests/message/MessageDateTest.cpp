#include "message/MessageDate.h"

#include "support/MailDate.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

TEST(ParseMessageDate, GivesTheInstantOfADateHeaderInAnyZone) {
    const std::uint64_t instant = filetimeOf(2003, 3, 4, 9, 30, 15);
    for (int zone : {0, 60, -300, 330, 840, -720}) {
        SCOPED_TRACE(mailDate(instant, zone));
        EXPECT_EQ(parseMessageDate(mailDate(instant, zone)), instant);
    }
    EXPECT_EQ(parseMessageDate("4 Mar 2003 09:30:15 GMT"), instant);
    EXPECT_EQ(parseMessageDate("no date at all"), std::nullopt);
}

}  // namespace
}  // namespace mq
