#pragma once

#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"

#include <string>
#include <string_view>

namespace mq {

// Cuts the text into runs of address characters and adds each run that the validator
// accepts (after TrimDots) to `found`.
void FindAddresses(std::string_view text, const TEmailChk& checker, FoundAddresses& found);

// The text from its first CR LF CR LF (included) to the end; the whole text when it has none.
std::string_view GetMessageBody(std::string_view text);

// What the combined mode scans for one message: its Reply-To text, then its body, then ">",
// with a line break after the Reply-To when the body does not begin with one.
std::string combinedScanText(std::string_view replyTo, std::string_view body);

}  // namespace mq
