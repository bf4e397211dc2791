#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;
class ParserOptions;

// What a search reads in a stored message, decoded and folded (FoldedText.h); the texts of
// one field are separated by spaces.
struct SearchableMessage {
    std::string subject;
    std::string people;       // From, To, Cc, Reply-To as written, encoded words undone
    std::string text;         // every text part that is no attachment, HTML as its visible text
    std::string attachments;  // the attachments' names
};

// Reads stored messages for a search, one after another, reusing what it can.
class SearchableReader {
public:
    // At most `textLimit` bytes of each text part are read.
    SearchableReader(const AnsiCodePage& page, std::size_t textLimit);
    ~SearchableReader();

    // Never fails: a message that cannot be taken apart as MIME, or a part of one, gives its
    // text as stored. `out` is overwritten; its strings keep their room for the next message.
    // The subject and the people are read only with `headers`: decoding them costs as much
    // as the rest, and a message's record holds them.
    void read(std::string_view storedText, bool headers, SearchableMessage& out);

private:
    const AnsiCodePage& page_;
    std::size_t textLimit_;
    std::unique_ptr<ParserOptions> options_;
    std::string content_;  // a part's content, undecoded to text yet
};

}  // namespace mq
