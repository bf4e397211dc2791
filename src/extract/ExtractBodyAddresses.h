#pragma once

#include "save/SelectedMessages.h"

namespace mq {

class FoundAddresses;
class OperationHost;
class TEmailChk;

// The body scan behind the two body commands: reads each selected message's text, keeps its
// body (and, with `includeReplyTo`, its Reply-To text in front) and adds the addresses found
// in it to `found`, counting each message done and notifying. Stops before a message once
// Cancelled is set; an unreadable store is reported once and stops the scan. What `found`
// holds at the end is the result, however the scan ended.
void ExtractBodyAddresses(OperationHost& host, const SelectedMessages& messages,
                          bool includeReplyTo, const TEmailChk& checker, FoundAddresses& found);

}  // namespace mq
