#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// A stored text as the MIME parser is given it: the same text, mended where the parser would
// misread it. A NUL ends the parser's strings, so while it parses, each NUL is the stand-in
// byte; a header block whose first line begins with blanks starts after them; a header
// without the blank line after it gets one before its first line that is no header line.
// The copy this needs is made only for a text that needs mending.
//
// Each part costs the parser some kilobytes, whatever its size: a text of more parts than
// a person can go through is given to it only up to the part after the last one listed.
class ParseableText {
public:
    explicit ParseableText(std::string_view stored);

    // The most parts of a message that are taken apart and listed.
    static constexpr std::size_t MaxParts = 2000;

    std::string_view text() const { return text_; }
    // How many parts the text holds after what the parser is given.
    std::size_t partsLeftOut() const { return partsLeftOut_; }
    // Puts the NULs back once the parser has taken the structure apart, so that the content
    // read afterwards holds the stored bytes.
    void restoreNuls();

private:
    void keepParts();

    std::string_view text_;
    std::string copy_;
    std::vector<std::size_t> nuls_;  // in copy_
    std::size_t partsLeftOut_ = 0;
};

}  // namespace mq
