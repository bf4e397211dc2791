#include "search/SearchQuery.h"

#include "search/FoldedText.h"
#include "store/DateTime.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace mq {

namespace {

constexpr std::array<std::pair<std::string_view, SearchField>, 4> FieldNames = {{
    {"subject", SearchSubject},
    {"people", SearchPeople},
    {"text", SearchText},
    {"attachments", SearchAttachments},
}};

void addTerm(std::vector<std::string>& terms, std::string_view text) {
    std::string term = folded(text);
    if (!term.empty() && term.front() == ' ') term.erase(0, 1);
    if (!term.empty() && term.back() == ' ') term.pop_back();
    if (!term.empty()) terms.push_back(std::move(term));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool readNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::vector<std::string> parseSearchTerms(std::string_view text) {
    std::vector<std::string> terms;
    std::size_t at = 0;
    while (at < text.size()) {
        if (isBlank(text[at])) {
            ++at;
        } else if (text[at] == '"') {
            const std::size_t close = text.find('"', at + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            addTerm(terms, text.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            std::size_t end = at;
            while (end < text.size() && !isBlank(text[end]) && text[end] != '"') ++end;
            addTerm(terms, text.substr(at, end - at));
            at = end;
        }
    }
    return terms;
}

std::optional<unsigned> parseSearchFields(std::string_view names) {
    unsigned fields = 0;
    while (true) {
        const std::size_t comma = names.find(',');
        const std::string_view name = names.substr(0, comma);
        const auto* found = std::find_if(FieldNames.begin(), FieldNames.end(),
                                         [&](const auto& entry) { return entry.first == name; });
        if (found == FieldNames.end()) return std::nullopt;
        fields |= found->second;
        if (comma == std::string_view::npos) return fields;
        names.remove_prefix(comma + 1);
    }
}

std::string searchFieldNames(unsigned fields) {
    std::string names;
    for (const auto& [name, field] : FieldNames) {
        if ((fields & field) == 0) continue;
        if (!names.empty()) names += ',';
        names += name;
    }
    return names;
}

std::optional<double> parseSearchDate(std::string_view text) {
    CalendarTime day;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        !readNumber(text.substr(0, 4), day.year) || !readNumber(text.substr(5, 2), day.month) ||
        !readNumber(text.substr(8, 2), day.day) || day.year < 1601 || day.month < 1 ||
        day.month > 12 || day.day < 1 || day.day > 31)
        return std::nullopt;
    const double value = encodeDateTime(day);
    // 2003-02-31 would encode as March the 3rd.
    const CalendarTime back = decodeDateTime(value);
    if (back.month != day.month || back.day != day.day) return std::nullopt;
    return value;
}

}  // namespace mq
