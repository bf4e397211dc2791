#pragma once

#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;

// What a search reads in a stored message, decoded to UTF-8 (not folded); texts of one field
// are separated by line ends.
struct SearchableMessage {
    std::string subject;
    std::string people;       // From, To, Cc, Reply-To as written, encoded words undone
    std::string text;         // every text part that is no attachment, HTML as its visible text
    std::string attachments;  // the attachments' names
};

// Never fails: a message that cannot be taken apart as MIME, or a part of one, gives its
// text as stored. At most `textLimit` bytes of each text part are read.
SearchableMessage searchableMessage(std::string_view storedText, const AnsiCodePage& page,
                                    std::size_t textLimit);

}  // namespace mq
