#include "platform/LocaleCompare.h"

#include "platform/AnsiCodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/Unicode.h"
#endif

namespace mq {

int localeCompareIgnoreCase(std::string_view a, std::string_view b) {
#ifdef _WIN32
    const int result =
        CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                       b.data(), static_cast<int>(b.size()));
    return result - CSTR_EQUAL;
#else
    // Ordered by the lower-case forms' character codes; deterministic on every machine.
    const AnsiCodePage& page = AnsiCodePage::system();
    return compareIgnoringCase(page.widen(a), page.widen(b));
#endif
}

}  // namespace mq
