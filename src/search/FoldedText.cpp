#include "search/FoldedText.h"

#include <glib.h>

#include <memory>

namespace mq {

namespace {

bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

struct GFree {
    void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFree>;

// Non-ASCII characters through GLib's full case folding; ASCII, nearly all of a mail's text,
// folds to itself in lower case, which spares the library's per-character work.
void appendFoldedRun(std::string& out, std::string_view run) {
    const GText valid(g_utf8_make_valid(run.data(), static_cast<gssize>(run.size())));
    const GText fold(g_utf8_casefold(valid.get(), -1));
    out += fold.get();
}

}  // namespace

void appendFolded(std::string& out, std::string_view utf8) {
    out.reserve(out.size() + utf8.size());
    bool space = !out.empty() && out.back() == ' ';
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            std::size_t end = i + 1;
            while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
            appendFoldedRun(out, utf8.substr(i, end - i));
            space = false;
            i = end;
            continue;
        }
        if (isSpace(c)) {
            if (!space) out += ' ';
            space = true;
        } else {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
            space = false;
        }
        ++i;
    }
}

}  // namespace mq
