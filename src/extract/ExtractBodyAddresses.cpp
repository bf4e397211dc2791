#include "extract/ExtractBodyAddresses.h"

#include "extract/AddressScanning.h"
#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"
#include "view/OperationHost.h"

#include <cstdint>
#include <string>

namespace mq {

void ExtractBodyAddresses(OperationHost& host, const SelectedMessages& messages,
                          bool includeReplyTo, const TEmailChk& checker, FoundAddresses& found) {
    ProgressState& state = host.progress();
    state.begin(messages.rows.size());

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
