#include "search/StoreSearch.h"

#include "platform/AnsiCodePage.h"
#include "platform/ByteSearch.h"
#include "platform/Unicode.h"
#include "search/FoldedText.h"
#include "search/SearchableMessage.h"
#include "store/DateTime.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace mq {

namespace {

// The most of one text part a search reads: the rest of a bigger one is not searched.
constexpr std::size_t TextLimit = 16 * 1024 * 1024;
// Between two looks at the stop request when no block is read.
constexpr std::size_t RowsPerLook = 1024;
// Separates the texts within a field: no word or phrase holds it, so none spans two texts.
constexpr char TextSeparator = '\x01';

enum FieldIndex : std::size_t { SubjectIndex, PeopleIndex, TextIndex, AttachmentsIndex };
constexpr SearchField FieldBits[SearchCache::Folder::Fields] = {SearchSubject, SearchPeople,
                                                                SearchText, SearchAttachments};

bool lacksPeople(const Toe5_MessageInfo& record) {
    return record.From.empty() && record.OtherFrom.empty() && record.To.empty() &&
           record.ReplyTo.empty();
}

class Matcher {
public:
    Matcher(const SearchQuery& query, const AnsiCodePage& page)
        : query_(query), page_(page), zone_(timeZoneNow()) {}

    bool inDateRange(const Toe5_MessageInfo& record) const {
        if (!query_.from && !query_.until) return true;
        const double received = FiletimeToDatetime(record.ReceivedDate, zone_);
        return (!query_.from || received >= *query_.from) &&
               (!query_.until || received < *query_.until);
    }

    bool wants(FieldIndex field) const { return (query_.fields & FieldBits[field]) != 0; }

    // Whether the record leaves out a field the query looks at, which the message then gives.
    bool recordLacks(const Toe5_MessageInfo& record) const {
        return (wants(SubjectIndex) && record.Subject.empty()) ||
               (wants(PeopleIndex) && lacksPeople(record));
    }

    // Whether the message's own header fields are needed for this record, whatever a query
    // asks: what is read is kept for the next one.
    static bool recordIncomplete(const Toe5_MessageInfo& record) {
        return record.Subject.empty() || lacksPeople(record);
    }

    // The fields where words occur, or 0 when some word occurs in none. `decoded`: the
    // message's own folded fields, when it was read.
    unsigned match(const Toe5_MessageInfo& record, const std::string_view* decoded) {
        fields_[SubjectIndex].clear();
        fields_[PeopleIndex].clear();
        if (wants(SubjectIndex)) appendRecordText(fields_[SubjectIndex], record.Subject);
        if (wants(PeopleIndex)) {
            for (const std::string* text :
                 {&record.From, &record.OtherFrom, &record.To, &record.ReplyTo})
                appendRecordText(fields_[PeopleIndex], *text);
        }
        std::string_view views[SearchCache::Folder::Fields];
        for (std::size_t field = 0; field < SearchCache::Folder::Fields; ++field) {
            if (!wants(static_cast<FieldIndex>(field))) continue;
            if (decoded && (field == TextIndex || field == AttachmentsIndex)) {
                views[field] = decoded[field];
                continue;
            }
            if (decoded && !decoded[field].empty()) {
                fields_[field] += TextSeparator;
                fields_[field] += decoded[field];
            }
            views[field] = fields_[field];
        }
        unsigned matched = 0;
        for (const std::string& term : query_.terms) {
            bool found = false;
            for (std::size_t field = 0; field < SearchCache::Folder::Fields; ++field) {
                if (findBytes(views[field], term) != std::string_view::npos) {
                    matched |= FieldBits[field];
                    found = true;
                }
            }
            if (!found) return 0;
        }
        return matched;
    }

private:
    void appendRecordText(std::string& out, std::string_view bytes) const {
        if (bytes.empty()) return;
        if (!out.empty()) out += TextSeparator;
        if (page_.asciiIsItself() && isAscii(bytes))
            appendFolded(out, bytes);
        else
            appendFolded(out, page_.toUtf8(bytes));
    }

    const SearchQuery& query_;
    const AnsiCodePage& page_;
    TimeZoneNow zone_;
    std::string fields_[SearchCache::Folder::Fields];
};

void addMatch(FolderMatches& out, const MessageInfoList& list, std::size_t row, unsigned fields) {
    out.records.push_back(list[row]);
    out.fields.push_back(fields);
    out.rows.push_back(row);
}

}  // namespace

std::size_t SearchOutcome::messages() const {
    std::size_t count = 0;
    for (const FolderMatches& folder : folders) count += folder.records.size();
    return count;
}

FolderMatches StoreSearch::searchFolder(const std::string& fileName, const SearchQuery& query,
                                        MessageReadObserver& observer) {
    FolderMatches out;
    Matcher matcher(query, page_);
    std::string path;
    std::optional<SearchCache::Stamp> stamp;
    const SearchCache::Folder* cached = nullptr;
    if (cache_) {
        path = files_->storeFilePath(fileName);
        stamp = SearchCache::stampOf(path);
        if (stamp) cached = cache_->find(path, *stamp);
    }

    MessageInfoList list;
    std::string_view decoded[SearchCache::Folder::Fields];
    if (!query.needsMessageText() || cached) {
        source_.readMessageRecords(fileName, list);
        const bool whole = cached && cached->rows() == list.size();
        const bool lacking = std::any_of(list.begin(), list.end(), [&](const auto& record) {
            return matcher.recordLacks(record);
        });
        if (whole || (!query.needsMessageText() && !lacking)) {
            for (std::size_t row = 0; row < list.size(); ++row) {
                if (row % RowsPerLook == 0 && observer.cancelled()) break;
                if (!matcher.inDateRange(list[row])) continue;
                if (whole)
                    for (std::size_t field = 0; field < SearchCache::Folder::Fields; ++field)
                        decoded[field] = cached->field(row, field);
                if (const unsigned fields = matcher.match(list[row], whole ? decoded : nullptr))
                    addMatch(out, list, row, fields);
            }
            return out;
        }
        list.clear();
    }

    // The messages are read: all of them when the text is searched (and then kept), else
    // those whose records leave a field out.
    const bool keep = cache_ && stamp && query.needsMessageText();
    SearchCache::Folder learned;
    SearchableReader reader(page_, TextLimit);
    SearchableMessage message;
    source_.readFolderMessages(fileName, list, observer, [&](std::size_t row, std::string& text) {
        const Toe5_MessageInfo& record = list[row];
        const bool read = query.needsMessageText() || matcher.recordLacks(record);
        if (read) {
            reader.read(text, Matcher::recordIncomplete(record), message);
            decoded[SubjectIndex] = message.subject;
            decoded[PeopleIndex] = message.people;
            decoded[TextIndex] = message.text;
            decoded[AttachmentsIndex] = message.attachments;
            if (keep)
                learned.add({decoded[SubjectIndex], decoded[PeopleIndex], decoded[TextIndex],
                             decoded[AttachmentsIndex]});
        }
        if (matcher.inDateRange(record)) {
            if (const unsigned fields = matcher.match(record, read ? decoded : nullptr))
                addMatch(out, list, row, fields);
        }
        return true;
    });
    if (keep && !observer.cancelled() && learned.rows() == list.size())
        cache_->keep(path, *stamp, std::move(learned));
    return out;
}

SearchOutcome StoreSearch::searchStore(const FolderList& folders,
                                       const std::vector<std::size_t>& chosen,
                                       const SearchQuery& query, SearchObserver& observer) {
    SearchOutcome outcome;
    for (const std::size_t folder : chosen) {
        if (folder >= folders.size() || folders[folder].FileName.empty()) continue;
        if (observer.cancelled()) break;
        observer.searching(folder);
        try {
            FolderMatches found = searchFolder(folders[folder].FileName, query, observer);
            found.folder = folder;
            if (!found.records.empty()) outcome.folders.push_back(std::move(found));
        } catch (const std::exception&) {
            // Locked by the mail client, gone, or more than the memory there is holds.
            outcome.unreadable.push_back(folder);
        }
    }
    outcome.cancelled = observer.cancelled();
    return outcome;
}

}  // namespace mq
