#pragma once

#include "search/SearchCache.h"
#include "search/SearchQuery.h"
#include "store/FolderMessages.h"
#include "store/MessageReadObserver.h"
#include "store/StoreReader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mq {

class AnsiCodePage;

// The messages of one folder that a query found.
struct FolderMatches {
    std::size_t folder = 0;         // index into the folder list
    MessageInfoList records;        // their records, in the folder's order
    std::vector<unsigned> fields;   // by row of `records`: the fields where words occurred
    std::vector<std::size_t> rows;  // by row of `records`: its row in the folder's record list
};

struct SearchOutcome {
    std::vector<FolderMatches> folders;   // those with a match, in the folder list's order
    std::vector<std::size_t> unreadable;  // folders whose file could not be read
    bool cancelled = false;
    std::size_t messages() const;
};

// A search's side of the progress: the stop request and a notification per block read
// (MessageReadObserver), and the folder being searched.
class SearchObserver : public MessageReadObserver {
public:
    virtual void searching(std::size_t folder) = 0;
};

// Finds messages in the folders of a store. Header fields come from the records, as `page`
// reads them, and from the decoded message for a record that has none; the text and the
// attachment names from the decoded message. One message text is held at a time.
class StoreSearch {
public:
    StoreSearch(FolderMessages& source, const AnsiCodePage& page) : source_(source), page_(page) {}

    // Keeps what decoding a folder's messages learned in `cache`, for files as `files`
    // names them, and looks there first.
    void useCache(SearchCache& cache, StoreReader& files) {
        cache_ = &cache;
        files_ = &files;
    }

    // The messages of one folder file, in its order; raises what the source raises. A stop
    // request ends it early with what was found so far.
    FolderMatches searchFolder(const std::string& fileName, const SearchQuery& query,
                               MessageReadObserver& observer);

    // The chosen folders (indexes into `folders`) in the list's order. A folder whose file
    // cannot be read is named in the outcome and the rest are searched.
    SearchOutcome searchStore(const FolderList& folders, const std::vector<std::size_t>& chosen,
                              const SearchQuery& query, SearchObserver& observer);

private:
    FolderMessages& source_;
    const AnsiCodePage& page_;
    SearchCache* cache_ = nullptr;
    StoreReader* files_ = nullptr;
};

}  // namespace mq
