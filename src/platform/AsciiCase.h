#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace mq {

// Letter case of ASCII only, whatever the locale: header names, file extensions and the like
// are ASCII by definition, and a byte of a UTF-8 sequence must pass unchanged.

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

inline bool asciiEqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, asciiLower, asciiLower);
}

inline bool asciiStartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           asciiEqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

inline bool asciiLessIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::lexicographical_compare(a, b, {}, asciiLower, asciiLower);
}

}  // namespace mq
