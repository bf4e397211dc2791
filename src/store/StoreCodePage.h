#pragma once

#include "store/StoreReader.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string_view>

namespace mq {

// The mail client wrote a store's texts in the ANSI page of the machine it ran on, and the
// charsets its messages declare are those of the same machine: the page is guessed from them.

// The Windows ANSI page a MIME charset name stands for, ignoring letter case: shift_jis and
// iso-2022-jp give 932, gb2312 936, ks_c_5601-1987 949, big5 950, windows-1250 and
// iso-8859-2 1250, and so on. 0 for what every page writes alike (us-ascii, utf-8) and for
// names not known.
int codePageForCharset(std::string_view charset);

// Counts the pages that message headers declare.
class CharsetTally {
public:
    // Counts each charset the header names in a charset parameter or an encoded word.
    void addHeader(std::string_view header);
    // The page declared most often; the lower page number on a tie.
    std::optional<int> mostFrequent() const;
    std::size_t votes() const { return votes_; }

private:
    void add(std::string_view charset);
    std::map<int, std::size_t> counts_;
    std::size_t votes_ = 0;
};

// The page the store's texts were most likely written in, from the headers of its first
// messages (at most a few hundred, a few blocks each, in folder-list order). Folders that
// cannot be read are passed over. Nothing when no message declares a page.
std::optional<int> guessStoreCodePage(StoreReader& reader, const FolderList& folders);

// The page to read the store in: `chosen` when given, else the guess, else the system's.
int storeCodePage(StoreReader& reader, const FolderList& folders, std::optional<int> chosen);

}  // namespace mq
