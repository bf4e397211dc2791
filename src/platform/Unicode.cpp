#include "platform/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace mq {

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool utf8ToUtf16(std::string_view text, std::u16string& out) {
    out.clear();
    out.reserve(text.size());
    bool valid = true;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        }
        bool ok = length > 0 && i + length <= text.size();
        for (int k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        ok = ok && c >= minimum && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (!ok) {
            valid = false;
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return valid;
}

char16_t foldCase(char16_t c) {
    const auto shift = [](char16_t ch, int by) { return static_cast<char16_t>(ch + by); };
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? shift(c, 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return shift(c, 32);
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower case; the runs from U+0139 and U+0179 pair an
        // odd upper-case letter with the even one after it.
        if (c == 0x130) return u'i';
        if (c == 0x178) return 0xFF;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper) return (c % 2 == 1) ? shift(c, 1) : c;
        return (c % 2 == 0) ? shift(c, 1) : c;
    }
    if (c == 0x191) return 0x192;
    if (c == 0x1A0 || c == 0x1AF) return shift(c, 1);
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return shift(c, 37);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return shift(c, 63);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return shift(c, 32);
    if (c >= 0x400 && c <= 0x40F) return shift(c, 80);
    if (c >= 0x410 && c <= 0x42F) return shift(c, 32);
    const bool cyrillicPair = (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF);
    if (cyrillicPair) return (c % 2 == 0) ? shift(c, 1) : c;
    return c;
}

int compareIgnoringCase(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int fa = foldCase(a[i]);
        const int fb = foldCase(b[i]);
        if (fa != fb) return fa - fb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool isAscii(std::string_view text) {
    // Eight bytes at a time: a search asks this of every message text.
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & 0x8080808080808080ull) != 0) return false;
    }
    return std::none_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace mq
