#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace mq {

// A Windows ANSI code page: how 8-bit texts become characters and back. Single-byte pages map
// every byte to one character and back unchanged (bytes a page leaves undefined map to the C1
// control of the same value, as Windows does). The double-byte pages (932, 936, 949, 950) are
// converted as whole texts, never byte by byte, since a character's two bytes belong together;
// a byte that starts no valid character there shows as U+FFFD.
class AnsiCodePage {
public:
    // The page Windows would use for the user's locale (LC_ALL / LC_CTYPE / LANG): 1252 for
    // most Western languages, 1250, 1251, 932, 936, ... by language. On Windows: GetACP().
    // Texts the user types and the program's own 8-bit texts are in this page.
    static const AnsiCodePage& system();
    // The page of the store that is open: the page its texts were written in, which is the
    // system's until a store's page is set. One store is open at a time per process; the
    // object stays the same, so references to it follow setStore.
    static const AnsiCodePage& store();
    static void setStore(int codePage);
    // The page Windows assigns to a locale name such as "pl_PL.UTF-8" or "sr_RS@latin".
    static int codePageForLocale(std::string_view localeName);

    struct Named {
        int codePage;
        const char* name;  // as a menu shows it: "Japanese (Shift-JIS, 932)"
    };
    // Every Windows ANSI page, ordered by name.
    static std::span<const Named> windowsPages();
    static bool isWindowsPage(int codePage);
    // The page's name from windowsPages(), or "Code page N".
    static std::string pageName(int codePage);

    explicit AnsiCodePage(int codePage);

    int codePage() const { return codePage_; }
    bool isDoubleByte() const { return doubleByte_; }
    std::u16string widen(std::string_view text) const;
    std::string toUtf8(std::string_view text) const;
    // Characters the page cannot represent become '?'.
    std::string fromUtf16(std::u16string_view text) const;
    // As fromUtf16; malformed UTF-8 also becomes '?'.
    std::string fromUtf8(std::string_view utf8) const;
    // ASCII texts are their own characters (no byte below 0x80 stands for another one).
    bool asciiIsItself() const { return asciiIsItself_; }

private:
    int codePage_;
    bool doubleByte_ = false;
    // Single-byte pages only.
    std::array<char16_t, 256> table_{};
    std::array<std::pair<char16_t, unsigned char>, 256> reverse_{};  // sorted by character
    // ASCII texts then convert to and from UTF-8 unchanged, with no widening on the way.
    bool asciiIsItself_ = false;
};

}  // namespace mq
