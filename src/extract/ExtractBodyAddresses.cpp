#include "extract/ExtractBodyAddresses.h"

#include "extract/AddressScanning.h"
#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"
#include "view/OperationHost.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace mq {

void ExtractBodyAddresses(OperationHost& host, const SelectedMessages& messages,
                          bool includeReplyTo, const TEmailChk& checker, FoundAddresses& found) {
    ProgressState& state = host.progress();
    state.ProgressTotal = std::int32_t(
        std::min<std::size_t>(messages.rows.size(), std::numeric_limits<std::int32_t>::max()));
    state.ProgressDone = 0;
    state.Cancelled = false;

    // One buffer for every message: its capacity carries over, so a folder of similar
    // messages is read without a new allocation each time.
    std::string text;
    for (const TMessHead* message : messages.rows) {
        if (state.Cancelled) break;
        state.ProgressItem = message->Subject;
        if (!readSelectedMessage(host, messages, *message, text)) break;
        const std::string_view body = GetMessageBody(text);
        if (includeReplyTo)
            FindAddresses(combinedScanText(message->ReplyTo, body), checker, found);
        else
            FindAddresses(body, checker, found);
        ++state.ProgressDone;
        host.NotifyObservers();
    }
}

}  // namespace mq
