#include "store/RawHeaderField.h"

#include "platform/AsciiCase.h"

namespace mq {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::string> rawHeaderField(std::string_view text, std::string_view name) {
    std::optional<std::string> value;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) break;  // the end of the header

        if (isBlank(line.front())) {
            if (value) value->append(line);
            continue;
        }
        if (value) break;  // the next field begins
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && asciiEqualIgnoringCase(trimmed(line.substr(0, colon)), name))
            value.emplace(line.substr(colon + 1));
    }
    if (value) *value = std::string(trimmed(*value));
    return value;
}

}  // namespace mq
