#pragma once

#include <string>
#include <string_view>

namespace mq {

// CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE) stand-in: compares two 8-bit texts
// widened with the ANSI code page, ignoring letter case, in the user's collation order.
// Elsewhere the order is that of the lower-case characters' codes, the same on every machine.
// Negative, zero or positive.
int localeCompareIgnoreCase(std::string_view a, std::string_view b);
// The same for texts that are characters already (CompareStringW on Windows).
int localeCompareIgnoreCase(std::u16string_view a, std::u16string_view b);
// The same for two UTF-8 texts, such as file names.
int utf8CompareIgnoreCase(std::string_view a, std::string_view b);

}  // namespace mq
