#include "extract/ExtractBodyAddresses.h"
#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"

#include "../save/SaveTestStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mq::test {
namespace {

using Addresses = std::vector<std::string>;

DbxMessage mail(std::string subject, std::string text, std::string replyTo = {}) {
    DbxMessage m = message(std::move(subject), std::move(text));
    m.replyTo = std::move(replyTo);
    return m;
}

Addresses scanBodies(RecordingHost& host, const SelectedMessages& messages, bool includeReplyTo) {
    TEmailChk checker;
    FoundAddresses found;
    ExtractBodyAddresses(host, messages, includeReplyTo, checker, found);
    return found.items();
}

TEST(ExtractBodyAddresses, ScansTheBodiesOfTheSelectedRowsTopDown) {
    // Header lines hold addresses that the body-only scan must not see.
    const std::string headers =
        "From: Head Only <head.only@example.com>\r\nReply-To: reply.only@example.com\r\n"
        "Subject: x\r\n\r\n";
    // A long body spreads over several blocks; the address sits across a block boundary.
    const std::string longBody = headers + std::string(1020 - headers.size(), 'x') +
                                 " Zoe@Example.com " + std::string(700, 'y') + "\r\n";
    SaveTestStore store({
        mail("One", headers + "Write to <anne@example.com> or mailto:Bob@example.org.\r\n"),
        mail("Two", headers + "\"carl@example.net\", BOB@EXAMPLE.ORG and fred+lists@example.com"),
        // No blank line: the whole text is the body, header lines included.
        mail("Three", "From: whole@example.com\r\nnothing else"),
        mail("Four", longBody),
        mail("Five", headers + "unselected@example.com"),
    });
    SelectedMessages selection = store.all();
    selection.rows.pop_back();
    std::swap(selection.rows[0], selection.rows[1]);
    RecordingHost host;
    host.state.Cancelled = true;  // left over from an earlier run: the scan clears it

    EXPECT_EQ(scanBodies(host, selection, false),
              (Addresses{"anne@example.com", "BOB@EXAMPLE.ORG", "carl@example.net",
                         "lists@example.com", "whole@example.com", "Zoe@Example.com"}));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_FALSE(host.state.Cancelled);
    EXPECT_EQ(host.state.ProgressTotal, 4);
    EXPECT_EQ(host.state.ProgressDone, 4);
    // One notification per message after the count went up, besides those of the blocks.
    std::vector<std::pair<int, std::string>> counted;
    for (const ProgressState& state : host.notifications)
        if (counted.empty() ||
            counted.back() != std::pair<int, std::string>(state.ProgressDone, state.ProgressItem))
            counted.emplace_back(state.ProgressDone, state.ProgressItem);
    EXPECT_EQ(counted, (std::vector<std::pair<int, std::string>>{{0, "Two"},
                                                                 {1, "Two"},
                                                                 {1, "One"},
                                                                 {2, "One"},
                                                                 {2, "Three"},
                                                                 {3, "Three"},
                                                                 {3, "Four"},
                                                                 {4, "Four"}}));

    // Nothing selected: nothing is read, even from a store that cannot be opened.
    FileLock mailClient(store.storeFile());
    RecordingHost idle;
    selection.rows.clear();
    EXPECT_EQ(scanBodies(idle, selection, false), Addresses{});
    EXPECT_TRUE(idle.errors.empty());
    EXPECT_TRUE(idle.notifications.empty());
}

TEST(ExtractBodyAddresses, CombinedModeCutsTheReplyToTextIntoTokens) {
    SaveTestStore store({
        mail("One", "Subject: a\r\n\r\nbody of one", "Anne Smith <anne@example.com>"),
        mail("Two", "Subject: b\r\n\r\nsee bob@example.org", ""),
        mail("Three", "Subject: c\r\n\r\nnone", "carl@example.net, dora@example.com."),
        // The Reply-To text ends where the body's blank line begins.
        mail("Four", "Subject: d\r\n\r\nEVE@example.com", "eve@EXAMPLE.com"),
    });
    RecordingHost host;
    EXPECT_EQ(scanBodies(host, store.all(), true),
              (Addresses{"anne@example.com", "bob@example.org", "carl@example.net",
                         "dora@example.com", "eve@EXAMPLE.com"}));
    RecordingHost bodyOnly;
    EXPECT_EQ(scanBodies(bodyOnly, store.all(), false),
              (Addresses{"bob@example.org", "EVE@example.com"}));
}

TEST(ExtractBodyAddresses, KeepsWhatWasFoundBeforeAStop) {
    std::vector<DbxMessage> messages;
    for (char c = '1'; c <= '5'; ++c)
        messages.push_back(mail(std::string("m") + c, "h\r\n\r\n" + std::string(1500, 'z') +
                                                          " user" + c + "@example.com"));
    SaveTestStore store(messages);

    // Cancel while the third message is being read: it is not scanned, and no later one is.
    RecordingHost host;
    host.onNotify = [](RecordingHost& h) {
        if (h.state.ProgressItem == "m3") h.state.Cancelled = true;
    };
    EXPECT_EQ(scanBodies(host, store.all(), false),
              (Addresses{"user1@example.com", "user2@example.com"}));
    EXPECT_EQ(host.state.ProgressDone, 2);
    EXPECT_TRUE(host.errors.empty());
}

}  // namespace
}  // namespace mq::test
