#pragma once

#include <string>
#include <string_view>

namespace mq {

// Appends `utf8` in the form texts are compared in: full Unicode case folding (as
// CaseFolding.txt gives it, "Straße" and "STRASSE" alike), and every run of white space as
// one space, so a phrase matches across a line break. Bytes that are no UTF-8 become U+FFFD.
void appendFolded(std::string& out, std::string_view utf8);

inline std::string folded(std::string_view utf8) {
    std::string out;
    appendFolded(out, utf8);
    return out;
}

}  // namespace mq
