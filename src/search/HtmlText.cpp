#include "search/HtmlText.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <utility>

namespace mq {

namespace {

bool isNameChar(char c) {
    return g_ascii_isalnum(c) || c == '-' || c == ':';
}

std::string lowerName(std::string_view html, std::size_t& at) {
    std::string name;
    while (at < html.size() && isNameChar(html[at]) && name.size() < 16)
        name += g_ascii_tolower(html[at++]);
    return name;
}

bool startsLine(const std::string& tag) {
    static constexpr std::array<std::string_view, 14> names = {
        "br", "p", "div", "tr", "td", "th", "li", "h1", "h2", "h3", "h4", "h5", "h6", "table"};
    for (const std::string_view name : names)
        if (tag == name) return true;
    return false;
}

// Where the end tag `</name` begins at or after `from`, case ignored; the end when none.
std::size_t endTag(std::string_view html, std::size_t from, const std::string& name) {
    for (std::size_t at = html.find("</", from); at != std::string_view::npos;
         at = html.find("</", at + 2)) {
        const std::string_view rest = html.substr(at + 2, name.size());
        if (g_ascii_strncasecmp(rest.data(), name.c_str(), rest.size()) == 0 &&
            rest.size() == name.size())
            return at;
    }
    return html.size();
}

void appendCodePoint(std::string& out, std::uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    char bytes[6];
    out.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(code, bytes)));
}

// A character reference at `at` ('&'): appended and `at` moved past it when it is one.
bool appendReference(std::string& out, std::string_view html, std::size_t& at) {
    const std::size_t semicolon = html.find(';', at);
    if (semicolon == std::string_view::npos || semicolon - at > 10) return false;
    const std::string_view name = html.substr(at + 1, semicolon - at - 1);
    static constexpr std::array<std::pair<std::string_view, std::uint32_t>, 6> named = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}}};
    std::uint32_t code = 0;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (error != std::errc() || end != digits.data() + digits.size()) return false;
    } else {
        const auto* found = std::find_if(named.begin(), named.end(),
                                         [&](const auto& entry) { return entry.first == name; });
        if (found == named.end()) return false;
        code = found->second;
    }
    appendCodePoint(out, code);
    at = semicolon + 1;
    return true;
}

}  // namespace

std::string visibleText(std::string_view html) {
    std::string out;
    out.reserve(html.size() / 2);
    std::size_t at = 0;
    while (at < html.size()) {
        const char c = html[at];
        if (c == '&' && appendReference(out, html, at)) continue;
        if (c != '<') {
            out += c;
            ++at;
            continue;
        }
        if (html.substr(at, 4) == "<!--") {
            const std::size_t end = html.find("-->", at + 4);
            at = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        std::size_t name = at + 1;
        if (name < html.size() && html[name] == '/') ++name;
        if (name >= html.size() || !(g_ascii_isalpha(html[name]) || html[name] == '!')) {
            out += c;  // a '<' that opens no tag is text
            ++at;
            continue;
        }
        const bool closing = html[at + 1] == '/';
        const std::string tag = lowerName(html, name);
        const std::size_t close = html.find('>', name);
        at = close == std::string_view::npos ? html.size() : close + 1;
        if (!closing && (tag == "script" || tag == "style" || tag == "title")) {
            const std::size_t end = endTag(html, at, tag);
            const std::size_t after = html.find('>', end);
            at = after == std::string_view::npos ? html.size() : after + 1;
        }
        if (startsLine(tag)) out += '\n';
    }
    return out;
}

}  // namespace mq
