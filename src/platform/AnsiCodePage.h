#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace mq {

// The system's ANSI code page: how 8-bit store texts become characters. Single-byte pages
// map every byte to one character and back unchanged (bytes a page leaves undefined map to
// the C1 control of the same value, as Windows does). Multi-byte Asian pages are not
// supported: such locales get 1252.
class AnsiCodePage {
public:
    // The page Windows would use for the user's locale (LC_ALL / LC_CTYPE / LANG): 1252 for
    // most Western languages, 1250, 1251, 1253, ... by language. On Windows: GetACP().
    static const AnsiCodePage& system();
    // The page Windows assigns to a locale name such as "pl_PL.UTF-8" or "sr_RS@latin".
    static int codePageForLocale(std::string_view localeName);
    explicit AnsiCodePage(int codePage);

    int codePage() const { return codePage_; }
    std::u16string widen(std::string_view text) const;
    std::string toUtf8(std::string_view text) const;
    // Characters the page cannot represent become '?'.
    std::string fromUtf16(std::u16string_view text) const;
    // As fromUtf16; malformed UTF-8 also becomes '?'.
    std::string fromUtf8(std::string_view utf8) const;
    char16_t widenByte(unsigned char byte) const { return table_[byte]; }
    // ASCII bytes are their own characters and no other byte gives one.
    bool asciiIsItself() const { return asciiIsItself_; }

private:
    int codePage_;
    std::array<char16_t, 256> table_{};
    std::array<std::pair<char16_t, unsigned char>, 256> reverse_{};  // sorted by character
    // ASCII texts then convert to and from UTF-8 unchanged, with no widening on the way.
    bool asciiIsItself_ = false;
};

}  // namespace mq
