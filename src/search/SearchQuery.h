#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// Where the words of a query are looked for; a set of them is an or of these bits.
enum SearchField : unsigned {
    SearchSubject = 1,
    SearchPeople = 2,      // the record's From (name and address), To and Reply-To; the
                           // message's own From, To, Cc and Reply-To where the record has none
    SearchText = 4,        // the text parts, HTML as the text it shows; no attachment contents
    SearchAttachments = 8  // the names of the attachments
};
constexpr unsigned AllSearchFields = SearchSubject | SearchPeople | SearchText | SearchAttachments;

struct SearchQuery {
    // Folded (FoldedText.h). Every one must occur in one of `fields` or another.
    std::vector<std::string> terms;
    unsigned fields = SearchSubject | SearchPeople;
    // Received from (inclusive) and until (exclusive), local date-times as the list shows them.
    std::optional<double> from;
    std::optional<double> until;

    bool needsMessageText() const { return (fields & (SearchText | SearchAttachments)) != 0; }
};

// The words and "quoted phrases" of `text` (UTF-8), folded. A quote left open runs to the end.
std::vector<std::string> parseSearchTerms(std::string_view text);

// "subject,people,text,attachments" (any of them, any order); none for a name not known.
std::optional<unsigned> parseSearchFields(std::string_view names);
// The names parseSearchFields reads, comma-separated, for the fields set in `fields`.
std::string searchFieldNames(unsigned fields);

// "YYYY-MM-DD" as the local date-time of that day's start; none when it is no such date.
std::optional<double> parseSearchDate(std::string_view text);

}  // namespace mq
