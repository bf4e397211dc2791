#include "search/FoldedText.h"

#include <glib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace mq {

namespace {

struct GFree {
    void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFree>;

constexpr char Space = ' ';
constexpr char NonAscii = 0;

// What each byte becomes: an ASCII letter in lower case, any other ASCII byte itself, white
// space a space; bytes of non-ASCII characters are marked for the library.
constexpr std::array<char, 256> ByteFolds = [] {
    std::array<char, 256> folds{};
    for (int c = 0; c < 128; ++c) folds[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    for (const char c : {' ', '\t', '\r', '\n', '\f', '\v'})
        folds[static_cast<unsigned char>(c)] = Space;
    folds[0] = '\x01';  // a NUL of the text stays apart from the marker (and matches no word)
    return folds;
}();

// Non-ASCII characters through GLib's full case folding (CaseFolding.txt, as Python's
// casefold() has it); ASCII folds to itself in lower case, which spares the library's
// per-character work on nearly all of a mail's text.
void appendFoldedRun(std::string& out, std::string_view run) {
    const GText valid(g_utf8_make_valid(run.data(), static_cast<gssize>(run.size())));
    const GText fold(g_utf8_casefold(valid.get(), -1));
    out += fold.get();
}

constexpr std::uint64_t Ones = 0x0101010101010101ull;
constexpr std::uint64_t Highs = 0x8080808080808080ull;

// The high bit of each byte of `x` that is zero.
std::uint64_t zeroBytes(std::uint64_t x) {
    return ~(((x & ~Highs) + ~Highs) | x) & Highs;
}

// The high bit of each byte of `x` (all below 0x80) that lies in [low, high].
std::uint64_t bytesBetween(std::uint64_t x, unsigned low, unsigned high) {
    return (x + (0x80 - low) * Ones) & ~(x + (0x7f - high) * Ones) & Highs;
}

// Eight ASCII bytes at once, when no white space in them joins another (the usual case):
// letters to lower case, white space to spaces. False when the bytes need the slow way.
bool foldEight(const char* from, char* to, bool& space) {
    std::uint64_t x;
    std::memcpy(&x, from, 8);
    if ((x & Highs) != 0 || zeroBytes(x) != 0) return false;
    const std::uint64_t blanks = zeroBytes(x ^ (' ' * Ones)) | bytesBetween(x, '\t', '\r');
    // Little-endian: the byte after another lies 8 bits higher.
    if ((blanks & (blanks << 8)) != 0 || (space && (blanks & 0x80) != 0)) return false;
    const std::uint64_t blankMask = (blanks >> 7) * 0xff;
    x = (x & ~blankMask) | (' ' * Ones & blankMask);
    x |= bytesBetween(x, 'A', 'Z') >> 2;
    std::memcpy(to, &x, 8);
    space = (blanks >> 63) != 0;
    return true;
}

}  // namespace

void appendFolded(std::string& out, std::string_view utf8) {
    std::size_t used = out.size();
    bool space = used > 0 && out[used - 1] == Space;
    out.resize(used + utf8.size());
    char* to = out.data() + used;
    for (std::size_t i = 0; i < utf8.size();) {
        if (i + 8 <= utf8.size() && foldEight(utf8.data() + i, to, space)) {
            i += 8;
            to += 8;
            continue;
        }
        const char fold = ByteFolds[static_cast<unsigned char>(utf8[i])];
        if (fold == NonAscii) {
            std::size_t end = i + 1;
            while (end < utf8.size() &&
                   ByteFolds[static_cast<unsigned char>(utf8[end])] == NonAscii)
                ++end;
            out.resize(static_cast<std::size_t>(to - out.data()));
            appendFoldedRun(out, utf8.substr(i, end - i));
            used = out.size();
            out.resize(used + utf8.size() - end);
            to = out.data() + used;
            space = false;
            i = end;
            continue;
        }
        // Written always, kept unless it is a second space: no branch to mispredict.
        *to = fold;
        const bool isSpace = fold == Space;
        to += !(isSpace && space);
        space = isSpace;
        ++i;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

}  // namespace mq
