#include "extract/ExtractReplyToAddresses.h"

#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"

#include <cstdint>
#include <string>

namespace mq {

void ExtractReplyToAddresses(const std::vector<const TMessHead*>& rows, const TEmailChk& checker,
                             FoundAddresses& found) {
    for (const TMessHead* message : rows) {
        if (message->ReplyTo.empty()) continue;
        const std::string candidate(TEmailChk::TrimDots(message->ReplyTo));
        std::int32_t errorCode = 0;
        std::int32_t errorPos = 0;
        if (checker.CheckEmail(candidate, errorCode, errorPos)) found.add(candidate);
    }
}

}  // namespace mq
