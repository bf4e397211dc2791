#include "platform/ByteSearch.h"

#include <cstring>

namespace mq {

std::size_t findBytes(std::string_view haystack, std::string_view needle) {
#ifdef _WIN32
    return haystack.find(needle);
#else
    if (needle.empty()) return 0;
    if (haystack.size() < needle.size()) return std::string_view::npos;  // and no null data
    const void* found = memmem(haystack.data(), haystack.size(), needle.data(), needle.size());
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - haystack.data())
                 : std::string_view::npos;
#endif
}

}  // namespace mq
