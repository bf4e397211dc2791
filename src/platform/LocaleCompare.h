#pragma once

#include <string_view>

namespace mq {

// CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE) stand-in: compares two 8-bit texts
// widened with the ANSI code page, ignoring letter case, in the user's collation order.
// Elsewhere the order is that of the lower-case characters' codes, the same on every machine.
// Negative, zero or positive.
int localeCompareIgnoreCase(std::string_view a, std::string_view b);

}  // namespace mq
