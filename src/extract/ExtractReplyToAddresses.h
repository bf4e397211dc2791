#pragma once

#include "store/TMessHead.h"

#include <vector>

namespace mq {

class FoundAddresses;
class TEmailChk;

// Adds each row's whole Reply-To text, once its end dots are trimmed, to `found` when the
// validator accepts it. The text is one candidate: a display name or a list of addresses
// makes it fail as a whole. Reads nothing from the store.
void ExtractReplyToAddresses(const std::vector<const TMessHead*>& rows, const TEmailChk& checker,
                             FoundAddresses& found);

}  // namespace mq
