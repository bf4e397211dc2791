#include "extract/AddressScanning.h"

#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mq {
namespace {

std::vector<std::string> scan(std::string_view text) {
    TEmailChk checker;
    FoundAddresses found;
    FindAddresses(text, checker, found);
    return found.items();
}

using Addresses = std::vector<std::string>;

TEST(FindAddresses, FindsAddressesInRealisticBodies) {
    // Delimiters around an address, a sentence-final stop, and an address that ends the text.
    EXPECT_EQ(
        scan("Write to <anne@example.com> or mailto:bob@example.org, or \"carl@example.net\"."),
        (Addresses{"anne@example.com", "bob@example.org", "carl@example.net"}));
    EXPECT_EQ(scan("Please reply to dora@example.com."), (Addresses{"dora@example.com"}));
    EXPECT_EQ(scan("last one: eve@example.com"), (Addresses{"eve@example.com"}));
    // The plus sign delimits: only the part after it carries the "@".
    EXPECT_EQ(scan("fred+lists@example.com"), (Addresses{"lists@example.com"}));
    // A soft line break of a quoted-printable body splits the address.
    EXPECT_EQ(scan("contact gina.longname@exam=\r\nple.com today"), Addresses{});
    EXPECT_EQ(scan("contact hal@example.com=\r\n.uk"), (Addresses{"hal@example.com"}));
    // Bytes above 127 delimit.
    EXPECT_EQ(scan("\xABivy@example.com\xBB"), (Addresses{"ivy@example.com"}));
    EXPECT_EQ(scan(""), Addresses{});
    EXPECT_EQ(scan("no addresses @ all here, just user@ and @host.com"), Addresses{});
}

TEST(FindAddresses, FindsWhatAWalkOverEveryCharacterFinds) {
    // The reference: every maximal run of address characters is offered, as it ends.
    const auto walk = [](std::string_view text, const TEmailChk& checker) {
        FoundAddresses found;
        std::string token;
        const auto offer = [&] {
            const std::string candidate(TEmailChk::TrimDots(token));
            std::int32_t code = 0, position = 0;
            if (checker.CheckEmail(candidate, code, position)) found.add(candidate);
            token.clear();
        };
        for (const char c : text) {
            if (isEmailChar(static_cast<unsigned char>(c)))
                token += c;
            else
                offer();
        }
        offer();
        return found.items();
    };
    // Pieces that often make an address, often two "@" in one run ("a@b@example.com"), and
    // every kind of delimiter.
    const char* const pieces[] = {"ann", "b.c", "@", "@", "example.com", "x.org", ".",    "-",
                                  "_",   "+",   " ", "<", ">",           "\xE9",  "\r\n", "1"};
    SeededRandom random(10);
    const TEmailChk checker;
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (std::size_t n = random.below(30); n > 0; --n) text += random.pick(pieces);
        ASSERT_EQ(scan(text), walk(text, checker)) << text;
    }
}

TEST(FindAddresses, ListsEachAddressOnceSortedInTheCaseMetFirst) {
    TEmailChk checker;
    FoundAddresses found;
    FindAddresses("Zoe@Example.com, adam@example.com", checker, found);
    FindAddresses("zoe@example.COM and ADAM@EXAMPLE.COM and mike@example.com", checker, found);
    EXPECT_EQ(found.items(),
              (Addresses{"adam@example.com", "mike@example.com", "Zoe@Example.com"}));
    EXPECT_FALSE(found.add("MIKE@example.com"));
    EXPECT_TRUE(found.add("b@example.com"));
    EXPECT_EQ(found.items()[1], "b@example.com");
}

TEST(FindAddresses, FollowsTheValidatorsSettings) {
    TEmailChk checker;
    checker.setFilter("example.org");
    FoundAddresses found;
    FindAddresses("anne@example.com bob@EXAMPLE.org", checker, found);
    EXPECT_EQ(found.items(), (Addresses{"bob@EXAMPLE.org"}));
}

TEST(GetMessageBody, StartsAtTheFirstBlankLine) {
    const std::string message =
        "From: anne@example.com\r\nSubject: x\r\n\r\nHello bob@example.com\r\n\r\nBye";
    EXPECT_EQ(GetMessageBody(message), "\r\n\r\nHello bob@example.com\r\n\r\nBye");
    EXPECT_EQ(GetMessageBody("no blank line\r\nat all"), "no blank line\r\nat all");
    EXPECT_EQ(GetMessageBody("\n\nonly bare line feeds"), "\n\nonly bare line feeds");
    EXPECT_EQ(GetMessageBody(""), "");
    // Body only: the sender in the header is not found.
    EXPECT_EQ(scan(GetMessageBody(message)), (Addresses{"bob@example.com"}));
}

TEST(CombinedScanText, ReplyToThenBodyThenClosingBracket) {
    EXPECT_EQ(combinedScanText("Anne <anne@example.com>", "\r\n\r\nbody"),
              "Anne <anne@example.com>\r\n\r\nbody>");
    EXPECT_EQ(combinedScanText("", "\r\n\r\nbody"), "\r\n\r\nbody>");
    // A message without a blank line is scanned whole: its first word must not run into the
    // Reply-To's address.
    EXPECT_EQ(scan(combinedScanText("carl@example.com", "Return-path: <x@y.org>")),
              (Addresses{"carl@example.com", "x@y.org"}));
    EXPECT_EQ(scan(combinedScanText("Anne <anne@example.com>", "\r\n\r\nhi")),
              (Addresses{"anne@example.com"}));
}

}  // namespace
}  // namespace mq
