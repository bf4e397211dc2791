#include "extract/ExtractBodyAddresses.h"

#include "extract/AddressScanning.h"
#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"
#include "view/OperationHost.h"

#include <string>

namespace mq {

void ExtractBodyAddresses(OperationHost& host, const SelectedMessages& messages,
                          bool includeReplyTo, const TEmailChk& checker, FoundAddresses& found) {
    forEachMessageText(host, messages, [&](const TMessHead& message, std::string& text) {
        const std::string_view body = GetMessageBody(text);
        if (includeReplyTo)
            FindAddresses(combinedScanText(message.ReplyTo, body), checker, found);
        else
            FindAddresses(body, checker, found);
    });
}

}  // namespace mq
