#include "platform/LocaleCompare.h"

#include "platform/AnsiCodePage.h"

#include "platform/Unicode.h"

#ifdef _WIN32
#include <windows.h>
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

int localeCompareIgnoreCase(std::u16string_view a, std::u16string_view b) {
#ifdef _WIN32
    const int result =
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                       reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                       reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
    return result - CSTR_EQUAL;
#else
    return compareIgnoringCase(a, b);
#endif
}

int utf8CompareIgnoreCase(std::string_view a, std::string_view b) {
    std::u16string wideA;
    std::u16string wideB;
    utf8ToUtf16(a, wideA);
    utf8ToUtf16(b, wideB);
    return localeCompareIgnoreCase(wideA, wideB);
}

}  // namespace mq
