#include "platform/TextDirection.h"

namespace mq {

namespace {

constexpr std::string_view FirstStrongIsolate = "\xE2\x81\xA8";   // U+2068
constexpr std::string_view PopDirectionalIsolate = "\xE2\x81\xA9";  // U+2069

// The third byte of the control at `at`, 0 when there is none (all are E2 80 xx or E2 81 xx).
unsigned char controlAt(std::string_view text, std::size_t at) {
    if (text.size() - at < 3 || text[at] != '\xE2') return 0;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    const bool control =
        (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) ||
        (second == 0x81 && third >= 0xA6 && third <= 0xA9);
    return control ? third : 0;
}

}  // namespace

std::string withoutDirectionControls(std::string_view utf8) {
    std::string kept;
    kept.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        if (controlAt(utf8, at) != 0)
            at += 3;
        else
            kept += utf8[at++];
    }
    return kept;
}

std::string isolatedDirection(std::string_view utf8) {
    std::string isolated(FirstStrongIsolate);
    int open = 0;  // isolates the text opens itself (U+2066 to U+2068)
    for (std::size_t at = 0; at < utf8.size();) {
        const unsigned char control = controlAt(utf8, at);
        if (control >= 0xA6 && control <= 0xA8) ++open;
        if (control == 0xA9) {
            if (open == 0) {
                at += 3;
                continue;
            }
            --open;
        }
        isolated += utf8[at++];
    }
    return isolated.append(PopDirectionalIsolate);
}

bool hasDirectionControls(std::string_view utf8) {
    for (std::size_t at = utf8.find('\xE2'); at != std::string_view::npos;
         at = utf8.find('\xE2', at + 1)) {
        if (controlAt(utf8, at) != 0) return true;
    }
    return false;
}

}  // namespace mq
